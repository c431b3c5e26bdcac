#include "Controller.h"

#include <algorithm>
#include <cmath>

namespace voltander::sim {

Controller::Controller(const SimOptions& options)
    : model_(options.modelSeconds),
      msPerPoll_(options.modelPolls ? options.modelSeconds * 1000.0 / options.modelPolls : 0.0),
      fixedState_(options.fixedState),
      fixedDuty_(options.fixedDuty),
      version_(options.version),
      ratio_(options.ratioTimes1000),
      params_(options.params) {}

std::optional<FrameBytes> Controller::handle(const FrameBytes& request, std::int64_t msSinceStart) {
  switch (request[1]) {
    case kPoll:
      if (msPerPoll_ > 0)
        return statusReply(std::llround(static_cast<double>(polls_++) * msPerPoll_));
      return statusReply(msSinceStart);
    case kVersionRequest:
      return versionReply();
    case kParameterRequest:
      return EncodeFrame(kParameterReply, params_);
    case kParameterUpload:
      std::copy(request.begin() + 2, request.begin() + 9, params_.begin());
      return std::nullopt;
    case kCalibrationMode:
      calibrationLoop_ = true;
      return std::nullopt;
    case kCalibrationUpload:
      ratio_ = static_cast<std::uint16_t>(request[2] * 256 + request[3]);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

ChargeReading Controller::reading(std::int64_t msSinceStart) const {
  // The calibration loop holds until the controller restarts, whatever else is set.
  if (calibrationLoop_) return model_.inState(kCalibrationLoopState, msSinceStart);
  ChargeReading r =
      fixedState_ ? model_.inState(*fixedState_, msSinceStart) : model_.at(msSinceStart);
  if (fixedDuty_) r.duty = *fixedDuty_;
  return r;
}

FrameBytes Controller::statusReply(std::int64_t msSinceStart) const {
  const ChargeReading r = reading(msSinceStart);
  const auto state = static_cast<std::uint8_t>((r.state & 0x0F) | (r.charging ? 0x10 : 0));
  return EncodeFrame(kStatusReply,
                     {r.duty, kFiller, kFiller, kFiller, static_cast<std::uint8_t>(ratio_ >> 8),
                      static_cast<std::uint8_t>(ratio_ & 0xFF), state});
}

FrameBytes Controller::versionReply() const {
  Payload p{' ', ' ', ' ', ' ', ' ', ' ', kFiller};
  std::copy_n(version_.begin(), std::min<std::size_t>(version_.size(), 6), p.begin());
  return EncodeFrame(kVersionReply, p);
}

}  // namespace voltander::sim

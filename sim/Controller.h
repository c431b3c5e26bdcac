// The controller's side of the protocol: what it stores, what it reports and how
// it answers each command letter. Faults on the line are not its business (see
// FaultInjector); it always answers correctly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ChargeModel.h"
#include "SimOptions.h"
#include "protocol/Frame.h"

namespace voltander::sim {

inline constexpr std::uint8_t kCalibrationLoopState = 5;

class Controller {
 public:
  explicit Controller(const SimOptions& options);

  // The reply a request asks for, if any. "I", "K" and "U" change what the
  // controller holds and are not answered; unknown letters are ignored.
  std::optional<FrameBytes> handle(const FrameBytes& request, std::int64_t msSinceStart);

  ChargeReading reading(std::int64_t msSinceStart) const;
  const Payload& storedParams() const { return params_; }
  std::uint16_t ratioTimes1000() const { return ratio_; }

 private:
  FrameBytes statusReply(std::int64_t msSinceStart) const;
  FrameBytes versionReply() const;

  ChargeModel model_;
  // Counted in polls, the model's time moves this far with each one; 0: the clock.
  double msPerPoll_;
  std::int64_t polls_ = 0;
  std::optional<std::uint8_t> fixedState_;
  std::optional<std::uint8_t> fixedDuty_;
  std::string version_;
  std::uint16_t ratio_;
  Payload params_;
  bool calibrationLoop_ = false;
};

}  // namespace voltander::sim

#include "ChargeModel.h"

#include <algorithm>
#include <cmath>

namespace voltander::sim {

namespace {

// After the first stage without a battery the cycle runs through these.
constexpr std::uint8_t kCycle[] = {1, 2, 3, 4};
constexpr int kCycleLength = 4;

// 0 to 1 and back to 0 once per second, for a duty that visibly breathes.
double Wobble(std::int64_t ms) {
  const double phase = static_cast<double>(ms % 1000) / 1000.0;
  return phase < 0.5 ? 2 * phase : 2 * (1 - phase);
}

std::uint8_t Duty(double value) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0, 253.0)));
}

}  // namespace

ChargeModel::ChargeModel(double stageSeconds) : stageMs_(stageSeconds * 1000.0) {}

ChargeReading ChargeModel::at(std::int64_t msSinceStart) const {
  const auto stage = static_cast<std::int64_t>(static_cast<double>(msSinceStart) / stageMs_);
  const std::uint8_t state = stage == 0 ? 0 : kCycle[(stage - 1) % kCycleLength];
  return inState(state, msSinceStart);
}

ChargeReading ChargeModel::inState(std::uint8_t state, std::int64_t msSinceStart) const {
  // How far into its stage the battery is: a fast charge eases off as it fills.
  const double stageFraction = std::fmod(static_cast<double>(msSinceStart), stageMs_) / stageMs_;
  const double wobble = Wobble(msSinceStart);
  switch (state) {
    case 1:
      return {state, Duty(240 - 30 * stageFraction + 6 * wobble), true};
    case 2:
      return {state, Duty(150 - 40 * stageFraction + 6 * wobble), true};
    case 3:
      return {state, Duty(25 + 20 * wobble), true};
    default:
      // No battery, the discharge, the calibration loop and unknown codes drive
      // no charge current.
      return {state, 0, false};
  }
}

}  // namespace voltander::sim

// A charge cycle for the live display to follow: no battery at first, then fast
// charge, normal charge, level holding and a maintenance discharge, over and over,
// with a PWM duty and charge bit that fit each stage. Time goes in, readings come
// out, so the cycle is the same on every run.
#pragma once

#include <cstdint>

namespace voltander::sim {

struct ChargeReading {
  std::uint8_t state = 0;  // 0-5, or whatever a fixed state says
  std::uint8_t duty = 0;   // 0-253; 254 and 255 mean a fault
  bool charging = false;
};

class ChargeModel {
 public:
  explicit ChargeModel(double stageSeconds);

  // The reading msSinceStart into the run, following the cycle.
  ChargeReading at(std::int64_t msSinceStart) const;
  // The reading a given state shows at that time, for a state fixed from outside.
  ChargeReading inState(std::uint8_t state, std::int64_t msSinceStart) const;

 private:
  double stageMs_;
};

}  // namespace voltander::sim

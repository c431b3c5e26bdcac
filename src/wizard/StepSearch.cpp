#include "wizard/StepSearch.h"

namespace voltander {

namespace {

// Scans rows 0..top for the first value strictly above target. The top row is scanned
// too: left out, a target between the last two rows took the top one even where the row
// below was nearer, and the overshoot came out as a negative deviation that never warned.
template <typename Table>
StepChoice Nearest(const Table& steps, float target, int top) {
  for (int k = 0; k <= top; ++k) {
    const float value = steps[k][0];
    if (value > target) {
      if (k == 0) return {0, value - target};  // nothing below to compare with
      const float above = value - target;
      const float below = target - steps[k - 1][0];
      if (above < below) return {k, above};
      return {k - 1, below};
    }
  }
  return {top, target - steps[top][0]};
}

}  // namespace

StepChoice NearestVoltageStep(const VoltageTable& steps, float target) {
  return Nearest(steps, target, kLastVoltageRow);
}

StepChoice NearestCurrentStep(const CurrentTable& steps, float target) {
  return Nearest(steps, target, kLastCurrentRow);
}

}  // namespace voltander

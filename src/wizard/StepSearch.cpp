#include "wizard/StepSearch.h"

namespace voltander {

namespace {

// Scans rows 0..lastScanned for the first value strictly above target.
template <typename Table>
StepChoice Nearest(const Table& steps, float target, int lastScanned, int top) {
  for (int k = 0; k <= lastScanned; ++k) {
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
  return Nearest(steps, target, kLastVoltageRow - 1, kLastVoltageRow);
}

StepChoice NearestCurrentStep(const CurrentTable& steps, float target) {
  return Nearest(steps, target, kLastCurrentRow, kLastCurrentRow);
}

}  // namespace voltander

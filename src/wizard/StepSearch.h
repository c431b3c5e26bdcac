// The wizard picks, for each computed value, the realisable step nearest to it. The
// voltage table is not sorted (its divided rows restart low), so the search walks
// rows in table order and stops at the first row above the target: which step it
// picks depends on that order, not only on the values.
#pragma once

#include "common/Kozos.h"

namespace voltander {

struct StepChoice {
  int row = 0;
  // target minus the chosen step, or chosen step minus target when the step above
  // was nearer: never negative.
  float deviation = 0;
};

// Every row, the top one included, is scanned; when none lies above the target the top
// row is chosen. A tie between the row above and the row below goes to the row below.
StepChoice NearestVoltageStep(const VoltageTable& steps, float target);
StepChoice NearestCurrentStep(const CurrentTable& steps, float target);

}  // namespace voltander

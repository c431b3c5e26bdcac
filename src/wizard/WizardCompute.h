// What the wizard makes of a confirmed set of answers: the targets, the steps
// nearest to them, the list positions to select, and the texts it shows. Pure, so
// every number the user sees can be checked without a window.
#pragma once

#include <string>
#include <string_view>

#include "common/Kozos.h"
#include "wizard/StepSearch.h"
#include "wizard/WizardAnswers.h"

namespace voltander {

// Fixed choices: a 30 s hysteresis and a 3 s sampling period.
inline constexpr int kWizardThisztPosition = 29;
inline constexpr int kWizardMintaPosition = 2;

// Computed in double, held in single precision.
struct WizardTargets {
  float umin = 0;
  float umax = 0;
  float inormal = 0;
  float igyors = 0;
};

WizardTargets ComputeTargets(const WizardAnswers& answers);

struct WizardResult {
  WizardTargets targets;
  StepChoice umax, umin, inormal, igyors;
  // List positions; -1 for a current list means no selection.
  int umaxPosition = -1;
  int uminPosition = -1;
  int inormalPosition = -1;
  int igyorsPosition = -1;
  int tkarbantartoPosition = -1;
  // Lists whose value cannot be met, marked when the expert report is shown.
  bool markUmax = false;
  bool markUmin = false;
  bool markIgyors = false;
  bool markInormal = false;
  std::string report;  // the expert report, numbers with decimalSeparator
};

WizardResult ComputeWizard(const WizardAnswers& answers, const VoltageTable& voltages,
                           const CurrentTable& currents, std::string_view decimalSeparator);

// The text of the confirmation question; numbers in signed-blank form.
std::string WizardSummary(const WizardAnswers& answers);

}  // namespace voltander

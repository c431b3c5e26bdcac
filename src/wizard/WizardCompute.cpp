#include "wizard/WizardCompute.h"

#include <cstdint>

#include "common/PatternFormat.h"
#include "common/SignedBlank.h"

namespace voltander {

namespace {

constexpr const char* kCrLf = "\r\n";
// Beyond these the chosen voltage step is too far off to be useful.
constexpr double kVoltageTolerance = 0.3;
// The largest current the controller can deliver.
constexpr double kCurrentLimit = 1.0;

// A negative deviation keeps its minus sign even when it rounds to zero: "-0.000 V"
// tells the user the chosen step lies above the computed value.
std::string Signed(float value, std::string_view pattern, std::string_view sep) {
  std::string text = FormatPattern(value, pattern, sep);
  if (value < 0 && !text.starts_with('-')) text.insert(0, 1, '-');
  return text;
}

std::string Volts(float value, std::string_view sep) { return Signed(value, "0.000 V", sep); }

std::string Amperes(float value, std::string_view sep) { return Signed(value, "0.000 A", sep); }

std::string Report(const WizardResult& r, std::string_view sep) {
  std::string text;
  text += "A számított és beállítható fokozatok eltérései (Szakértői mód).";
  text += kCrLf;
  text += kCrLf;
  text += "Eltérések:";
  text += kCrLf;
  text += "   Umax_Hiba=" + Volts(r.umax.deviation, sep) + kCrLf;
  text += "   Umin_Hiba=" + Volts(r.umin.deviation, sep) + kCrLf;
  text += "   Igyors_Hiba=" + Amperes(r.igyors.deviation, sep) + kCrLf;
  text += "   Inormal_Hiba=" + Amperes(r.inormal.deviation, sep) + kCrLf;
  text += kCrLf;
  text += "Számított értékek:";
  text += kCrLf;
  text += "   Umax=" + Volts(r.targets.umax, sep) + kCrLf;
  text += "   Umin=" + Volts(r.targets.umin, sep) + kCrLf;
  text += "   Igyors=" + Amperes(r.targets.igyors, sep) + kCrLf;
  text += "   Inormal=" + Amperes(r.targets.inormal, sep) + kCrLf;
  text += kCrLf;
  if (r.markUmax) {
    text += "A maximális feszültség nem beállítható!";
    text += kCrLf;
  }
  if (r.markUmin) {
    text += "Az alsó küszübfeszültség sem állítható be pontosan!";
    text += kCrLf;
  }
  if (r.markIgyors) {
    text += "Áramérték túllépési igény gyorstöltési fokozatban!";
    text += kCrLf;
  }
  if (r.markInormal) text += "Áramérték igény túl nagy normálfokozatban is!";
  return text;
}

}  // namespace

WizardTargets ComputeTargets(const WizardAnswers& a) {
  const double cells = a.cells;
  const double amperes = a.capacity / 1000;
  const double load = static_cast<double>(a.load) / 1000;
  WizardTargets t;
  t.umin = static_cast<float>(static_cast<double>(a.type->cellUmin) * cells);
  t.umax = static_cast<float>(static_cast<double>(a.type->cellUmax) * cells);
  t.inormal = static_cast<float>(amperes * 0.2 + load);
  t.igyors = static_cast<float>(amperes * 0.5 + load);
  return t;
}

WizardResult ComputeWizard(const WizardAnswers& answers, const VoltageTable& voltages,
                           const CurrentTable& currents, std::string_view decimalSeparator) {
  WizardResult r;
  r.targets = ComputeTargets(answers);
  r.umin = NearestVoltageStep(voltages, r.targets.umin);
  r.umax = NearestVoltageStep(voltages, r.targets.umax);
  r.inormal = NearestCurrentStep(currents, r.targets.inormal);
  r.igyors = NearestCurrentStep(currents, r.targets.igyors);

  // The voltage lists start at row 2, the current lists at row 1.
  r.umaxPosition = r.umax.row - 2;
  r.uminPosition = r.umin.row - 2;
  r.inormalPosition = r.inormal.row - 1;
  r.igyorsPosition = r.igyors.row - 1;
  r.tkarbantartoPosition = answers.interval - 2;

  r.markUmax = r.umax.deviation > kVoltageTolerance;
  r.markUmin = r.umin.deviation > kVoltageTolerance;
  r.markIgyors = r.targets.igyors > kCurrentLimit;
  r.markInormal = r.targets.inormal > kCurrentLimit;
  r.report = Report(r, decimalSeparator);
  return r;
}

std::string WizardSummary(const WizardAnswers& a) {
  std::string text;
  text += std::string("Az Akkumlátor típusa: ") + a.type->name + kCrLf;
  text += "A cellák száma: " + a.cellsText + kCrLf;
  text += "Az Akkumlátor kapacitása: " + a.capacityText + " mAh" + kCrLf;
  text += "A folyamatos terhelés: " + SignedBlank(a.load) + " mA" + kCrLf;
  text += "Karbantartás: " + SignedBlank(std::int64_t{a.interval}) + " naponta." + kCrLf;
  text += kCrLf;
  text += "Megfelelnek az adatok?";
  return text;
}

}  // namespace voltander

#include "wizard/SetupWizard.h"

#include <optional>
#include <string>

#include "platform/Dialogs.h"
#include "platform/System.h"
#include "wizard/WizardAnswers.h"
#include "wizard/WizardCompute.h"

namespace voltander {

namespace {

std::string TypePrompt() {
  std::string prompt;
  for (const BatteryType& t : BatteryTypes()) {
    if (!prompt.empty()) prompt += "\r\n";
    prompt += std::string(t.answer) + "=" + t.name;
  }
  return prompt;
}

}  // namespace

SetupWizard::SetupWizard(const Kozos& kozos, const ParameterLists& lists, WindowModel& window,
                         Version version, Dialogs& dialogs, Desktop& desktop)
    : kozos_(kozos),
      lists_(lists),
      window_(window),
      version_(version),
      dialogs_(dialogs),
      desktop_(desktop) {}

void SetupWizard::Varazslo_Click() {
  Dialogs& dialogs = dialogs_;
  WizardAnswers answers;

  answers.type = BatteryTypeFor(dialogs.input("Akkumlátor típusa:", TypePrompt(), "4"));
  if (!answers.type) return;

  answers.cellsText = dialogs.input("Cellák száma:", "Az Akkumlátor hány cellából áll?", "1");
  const std::optional<double> cells = AcceptCells(answers.cellsText);
  if (!cells) return;
  answers.cells = *cells;

  answers.capacityText = dialogs.input(
      "Kapacitás:", "Az Akkumlátor kapacitása mAh-ban?\r\nCsak számjegyekkel!", "1000");
  const std::optional<double> capacity = AcceptCapacity(answers.capacityText);
  if (!capacity) return;
  answers.capacity = *capacity;

  const std::optional<float> load = AcceptLoad(
      dialogs.input("Fogyasztó:", "A fogysztó mekkora árammal terhel átlagban [mA]?", "0"));
  if (!load) {
    dialogs.message("Túl nagy a terhelés!", Buttons::Ok, Icon::Critical);
    return;
  }
  answers.load = *load;

  const std::optional<int> interval = AcceptInterval(dialogs.input(
      "Karbantartás:", "Hány naponta legyen kisütve az Akkumlátor (fogyasztóval)[2-256]?", "Auto"));
  if (!interval) return;
  answers.interval = ResolveInterval(*interval, *answers.type);

  if (dialogs.message(WizardSummary(answers), Buttons::YesNo, Icon::Question) != Answer::Yes) {
    return;
  }

  // The tables are read only now: a status reply may have rebuilt them while the
  // question was open.
  const WizardResult result =
      ComputeWizard(answers, kozos_.VoltageSteps, kozos_.CurrentSteps, desktop_.decimalSeparator());
  window_.setTitle(StartupTitle(version_) + " (*Beállítás Varázsló*)");
  const ParameterLists& l = lists_;
  l.Umax.select(result.umaxPosition);
  l.Umin.select(result.uminPosition);
  l.Inormal.select(result.inormalPosition);
  l.Igyors.select(result.igyorsPosition);
  l.Tkarbantarto.select(result.tkarbantartoPosition);
  l.Thiszt.select(kWizardThisztPosition);
  l.Minta.select(kWizardMintaPosition);

  if (!kozos_.ExpertMode) return;
  // Marked before the report shows, so the user sees which lists it speaks of.
  if (result.markUmax) l.Umax.setBackground(kLightRed);
  if (result.markUmin) l.Umin.setBackground(kLightRed);
  if (result.markIgyors) l.Igyors.setBackground(kLightRed);
  if (result.markInormal) l.Inormal.setBackground(kLightRed);
  dialogs.message(result.report, Buttons::Ok, Icon::Information);
}

}  // namespace voltander

#include <optional>
#include <string>

#include "app/Folap.h"
#include "common/Version.h"
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

// Choosing an entry clears a value list's mark, but clearing the selection runs no
// handler; a list the wizard leaves without a selection would otherwise keep the
// mark of an earlier run that no longer applies.
void SelectValue(Folap& form, ListBox& list, int position) {
  list.select(position);
  if (position < 0) form.ListMarkReset(list);
}

}  // namespace

void Folap::Varazslo_Click() {
  Dialogs& dialogs = platform.dialogs;
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
  const WizardResult result = ComputeWizard(answers, kozos.VoltageSteps, kozos.CurrentSteps,
                                            platform.desktop.decimalSeparator());
  window.setTitle(StartupTitle(version) + " (*Beállítás Varázsló*)");
  SelectValue(*this, Umax, result.umaxPosition);
  SelectValue(*this, Umin, result.uminPosition);
  SelectValue(*this, Inormal, result.inormalPosition);
  SelectValue(*this, Igyors, result.igyorsPosition);
  Tkarbantarto.select(result.tkarbantartoPosition);
  Thiszt.select(kWizardThisztPosition);
  Minta.select(kWizardMintaPosition);

  if (!kozos.ExpertMode) return;
  // Marked before the report shows, so the user sees which lists it speaks of.
  if (result.markUmax) Umax.setBackground(kLightRed);
  if (result.markUmin) Umin.setBackground(kLightRed);
  if (result.markIgyors) Igyors.setBackground(kLightRed);
  if (result.markInormal) Inormal.setBackground(kLightRed);
  dialogs.message(result.report, Buttons::Ok, Icon::Information);
}

}  // namespace voltander

#include "calibration/DividerModel.h"
#include "calibration/Oszto.h"
#include "common/PatternFormat.h"
#include "params/StepTables.h"
#include "platform/Dialogs.h"
#include "platform/Journal.h"

namespace voltander {

void Oszto::Teszt_Click() {
  const int i = Rhi.selected();
  const int j = Vcc.selected();
  if (i < 0 || j < 0) return;
  // 0.00 V at the test pin would divide by zero: the ratio in force stays.
  if (i == 0) {
    Osztas.setCaption("---");
    return;
  }
  Kozos& k = host_.kozos;
  k.DividerRatio = RatioFromEntries(j, i);
  const std::string sep = separator();
  Osztas.setCaption(FormatPattern(k.DividerRatio, "0.00", sep));
  rebuildTables();
  Ufesz.setText(ThresholdList(k.VoltageSteps, CH1.checked(), sep));
}

}  // namespace voltander

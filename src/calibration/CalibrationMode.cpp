#include "app/Folap.h"
#include "calibration/CalibrationTexts.h"
#include "calibration/Oszto.h"
#include "link/SendFrame.h"

namespace voltander {

void Oszto::Kalib_Click() {
  Dialogs& dialogs = main.platform.dialogs;
  if (!main.kozos.LiveLink) {
    dialogs.message(calibration_text::kModeRefused, Buttons::Ok, Icon::Exclamation);
    return;
  }
  if (dialogs.message(calibration_text::kModeQuestion, Buttons::YesNo, Icon::Question) !=
      Answer::Yes) {
    return;
  }
  // Instructions for a mode the controller never entered would mislead the user.
  if (!SendFrame(main.platform.port, main.platform.pause, main.platform.journal,
                 kCalibrationMode)) {
    dialogs.message(calibration_text::kModeRefused, Buttons::Ok, Icon::Exclamation);
    return;
  }
  dialogs.message(calibration_text::kProcedure, Buttons::Ok, Icon::Information);
}

}  // namespace voltander

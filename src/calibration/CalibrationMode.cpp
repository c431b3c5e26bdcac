#include "calibration/CalibrationTexts.h"
#include "calibration/Oszto.h"
#include "platform/Dialogs.h"
#include "platform/Journal.h"
#include "protocol/SendFrame.h"

namespace voltander {

void Oszto::Kalib_Click() {
  Dialogs& dialogs = host_.dialogs;
  if (!host_.kozos.LiveLink) {
    dialogs.message(calibration_text::kModeRefused, Buttons::Ok, Icon::Exclamation);
    return;
  }
  if (dialogs.message(calibration_text::kModeQuestion, Buttons::YesNo, Icon::Question) !=
      Answer::Yes) {
    return;
  }
  // Instructions for a mode the controller never entered would mislead the user.
  if (!SendFrame(host_.line, kCalibrationMode)) {
    dialogs.message(calibration_text::kModeRefused, Buttons::Ok, Icon::Exclamation);
    return;
  }
  dialogs.message(calibration_text::kProcedure, Buttons::Ok, Icon::Information);
}

}  // namespace voltander

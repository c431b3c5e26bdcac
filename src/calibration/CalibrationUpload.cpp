#include "calibration/CalibrationTexts.h"
#include "calibration/DividerModel.h"
#include "calibration/Oszto.h"
#include "platform/Dialogs.h"
#include "platform/Journal.h"
#include "protocol/SendFrame.h"

namespace voltander {

void Oszto::Ufel_Click() {
  Teszt_Click();
  Kozos& k = host_.kozos;
  // Committed before the link is tested: the ratio stays in force even unsent.
  k.CommittedDividerRatio = k.DividerRatio;
  const std::optional<std::uint16_t> n = RatioTimes1000(k.DividerRatio);

  Dialogs& dialogs = host_.dialogs;
  if (!k.LiveLink) {
    dialogs.message(calibration_text::kUploadRefused, Buttons::Ok, Icon::Critical);
  } else if (!n) {
    dialogs.message(calibration_text::kRatioOutOfRange, Buttons::Ok, Icon::Critical);
  } else if (!SendFrame(host_.line, kCalibrationUpload, CalibrationPayload(*n))) {
    // The port went away mid-frame: the controller did not get the ratio.
    dialogs.message(calibration_text::kUploadRefused, Buttons::Ok, Icon::Critical);
  } else {
    host_.line.journal.calibrationUpload(*n);
    dialogs.message(calibration_text::kUploadDone, Buttons::Ok, Icon::Information);
  }
  close();
}

}  // namespace voltander

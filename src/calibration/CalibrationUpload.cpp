#include "app/Folap.h"
#include "calibration/CalibrationTexts.h"
#include "calibration/DividerModel.h"
#include "calibration/Oszto.h"
#include "link/SendFrame.h"

namespace voltander {

void Oszto::Ufel_Click() {
  Teszt_Click();
  Kozos& k = main.kozos;
  // Committed before the link is tested: the ratio stays in force even unsent.
  k.CommittedDividerRatio = k.DividerRatio;
  const std::optional<std::uint16_t> n = RatioTimes1000(k.DividerRatio);

  Dialogs& dialogs = main.platform.dialogs;
  if (!k.LiveLink) {
    dialogs.message(calibration_text::kUploadRefused, Buttons::Ok, Icon::Critical);
  } else if (!n) {
    dialogs.message(calibration_text::kRatioOutOfRange, Buttons::Ok, Icon::Critical);
  } else if (!SendFrame(main.platform.port, main.platform.pause, main.platform.journal,
                        kCalibrationUpload, CalibrationPayload(*n))) {
    // The port went away mid-frame: the controller did not get the ratio.
    dialogs.message(calibration_text::kUploadRefused, Buttons::Ok, Icon::Critical);
  } else {
    main.platform.journal.calibrationUpload(*n);
    dialogs.message(calibration_text::kUploadDone, Buttons::Ok, Icon::Information);
  }
  close();
}

}  // namespace voltander

#include "app/Folap.h"
#include "link/SendFrame.h"
#include "params/ParameterSet.h"
#include "params/UploadFrame.h"

namespace voltander {

namespace {

void ShowNoConnection(Dialogs& dialogs) {
  dialogs.message(
      "Nincs kapcsolat az Voltanderrel!\r\n"
      "Feltöltés csak élő adatkapcsolat mellett lehetséges!",
      Buttons::Ok, Icon::Critical);
}

}  // namespace

void Folap::ParameterUpload() {
  kozos.UploadAllowed = true;
  if (BAssis.checked()) AssistantCheck();
  // A refusal has been said by the assistant's report already.
  if (!kozos.UploadAllowed) return;
  if (!kozos.LiveLink) {
    ShowNoConnection(platform.dialogs);
    return;
  }

  // No poll may slip in between the bytes of the upload.
  platform.timer.setEnabled(false);
  const Payload payload =
      UploadPayload(SelectedParameters(*this), kozos.VoltageSteps, kozos.CurrentSteps);
  const bool sent =
      SendFrame(platform.port, platform.pause, platform.journal, kParameterUpload, payload);
  platform.timer.setEnabled(true);

  // The port can close or lose its device after the link check; the set did not
  // reach the controller then, and saying it did would be a lie.
  if (!sent) {
    ShowNoConnection(platform.dialogs);
    return;
  }
  platform.journal.parameterUpload(payload);
  platform.dialogs.message("Az adatok feltöltése megtörtént!", Buttons::Ok, Icon::Information);
}

}  // namespace voltander

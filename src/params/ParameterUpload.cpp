#include "params/ParameterUpload.h"

#include "params/Assistant.h"
#include "params/UploadFrame.h"
#include "platform/Dialogs.h"
#include "platform/Journal.h"
#include "platform/Timer.h"

namespace voltander {

namespace {

void ShowNoConnection(Dialogs& dialogs) {
  dialogs.message(
      "Nincs kapcsolat az Voltanderrel!\r\n"
      "Feltöltés csak élő adatkapcsolat mellett lehetséges!",
      Buttons::Ok, Icon::Critical);
}

}  // namespace

Uploader::Uploader(Kozos& kozos, const ParameterLists& lists, const MenuItem& BAssis, Timer& timer,
                   Dialogs& dialogs, const Line& line)
    : kozos_(kozos),
      lists_(lists),
      BAssis_(BAssis),
      timer_(timer),
      dialogs_(dialogs),
      line_(line) {}

void Uploader::AssistantCheck() {
  const AssistantVerdict verdict = AssessParameters(lists_.selected());
  if (!verdict.allowed) kozos_.UploadAllowed = false;
  dialogs_.message(verdict.report, Buttons::Ok,
                   verdict.allowed ? Icon::Information : Icon::Critical);
}

void Uploader::ParameterUpload() {
  kozos_.UploadAllowed = true;
  if (BAssis_.checked()) AssistantCheck();
  // A refusal has been said by the assistant's report already.
  if (!kozos_.UploadAllowed) return;
  if (!kozos_.LiveLink) {
    ShowNoConnection(dialogs_);
    return;
  }

  // No poll may slip in between the bytes of the upload.
  timer_.setEnabled(false);
  const Payload payload =
      UploadPayload(lists_.selected(), kozos_.VoltageSteps, kozos_.CurrentSteps);
  const bool sent = SendFrame(line_, kParameterUpload, payload);
  timer_.setEnabled(true);

  // The port can close or lose its device after the link check; the set did not
  // reach the controller then, and saying it did would be a lie.
  if (!sent) {
    ShowNoConnection(dialogs_);
    return;
  }
  line_.journal.parameterUpload(payload);
  dialogs_.message("Az adatok feltöltése megtörtént!", Buttons::Ok, Icon::Information);
}

}  // namespace voltander

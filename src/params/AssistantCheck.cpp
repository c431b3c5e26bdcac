#include "app/Folap.h"
#include "params/Assistant.h"
#include "params/ParameterSet.h"

namespace voltander {

void Folap::AssistantCheck() {
  const AssistantVerdict verdict = AssessParameters(SelectedParameters(*this));
  if (!verdict.allowed) kozos.UploadAllowed = false;
  platform.dialogs.message(verdict.report, Buttons::Ok,
                           verdict.allowed ? Icon::Information : Icon::Critical);
}

}  // namespace voltander

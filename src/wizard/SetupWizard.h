// The setup wizard's button: five questions, a confirmation, and then the selections
// (and, for an expert, the marks and the report) that the answers give. Nothing
// changes before the user confirms.
#pragma once

#include "common/Kozos.h"
#include "common/Version.h"
#include "controls/Controls.h"
#include "params/ParameterSet.h"

namespace voltander {

class Desktop;
class Dialogs;

class SetupWizard {
 public:
  SetupWizard(const Kozos& kozos, const ParameterLists& lists, WindowModel& window, Version version,
              Dialogs& dialogs, Desktop& desktop);

  void Varazslo_Click();

 private:
  const Kozos& kozos_;
  ParameterLists lists_;
  WindowModel& window_;
  Version version_;
  Dialogs& dialogs_;
  Desktop& desktop_;
};

}  // namespace voltander

// The upload button's subsystem: the battery assistant's check when it is switched
// on, then the "I" frame with the selected steps while the link is live. It reads
// the lists and the tables and never changes them.
#pragma once

#include "common/Kozos.h"
#include "controls/Controls.h"
#include "params/ParameterSet.h"
#include "protocol/SendFrame.h"

namespace voltander {

class Dialogs;
class Timer;

class Uploader {
 public:
  Uploader(Kozos& kozos, const ParameterLists& lists, const MenuItem& BAssis, Timer& timer,
           Dialogs& dialogs, const Line& line);

  void ParameterUpload();
  // Shows the assistant's report; clears UploadAllowed when a rule refuses the set.
  void AssistantCheck();

 private:
  Kozos& kozos_;
  ParameterLists lists_;
  const MenuItem& BAssis_;
  Timer& timer_;
  Dialogs& dialogs_;
  Line line_;
};

}  // namespace voltander

// Finds the controller by itself: asks every serial device at once with one poll
// frame and selects the one that answers in the port list, exactly as the user's
// own choice would, so the link comes up the usual way. Whatever ends the search
// otherwise gives the user back the port they had: re-opened when the search closed
// it (no answer, a cancel), left alone when nothing was probed.
#pragma once

#include "platform/Dialogs.h"
#include "platform/PortSearch.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"

namespace voltander {

class ListBox;

class ControllerSearch {
 public:
  ControllerSearch(ListBox& portok, SerialPort& port, Timer& timer, Dialogs& dialogs,
                   PortSearch& search);

  // The menu item "Kontroller keresése...".
  void KKereses_Click();

 private:
  void restore(int previous);
  void resume(bool polling);

  ListBox& Portok_;
  SerialPort& port_;
  Timer& timer_;
  Dialogs& dialogs_;
  PortSearch& search_;
};

}  // namespace voltander

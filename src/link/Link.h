// The controller link: the port choice, the line's events, the poll tick with its
// supervision, and the reply parser with the live display it drives. Besides the
// shared flags it keeps only two marks of its own (a first link still to come, a
// line-error box up); the window owns the controls it paints.
#pragma once

#include <array>

#include "common/Kozos.h"
#include "common/Version.h"
#include "controls/Controls.h"
#include "link/Reconnection.h"
#include "params/ParameterSet.h"
#include "platform/SerialPort.h"
#include "protocol/SendFrame.h"

namespace voltander {

class Beep;
class Desktop;
class Dialogs;
class Timer;

inline constexpr int kPollPeriodMs = 2000;
inline constexpr const char* kLineSettings = "9600,N,8,1";

// The main window's controls that show the controller's state.
struct LiveDisplay {
  Frame& Allapot;
  Label& LED2;
  TextBox& AMVerzio;
  std::array<Label, 5>& State;
  Label& Kall;
  Label& Hiba;
  Label& Led;
  ProgressBar& Bar;
  Button& Fel;
};

// The captions and the look before any reply: no link yet.
void SetUpLiveDisplay(const LiveDisplay& display);

// Comm n as the window names it: "comm<n>" in topics, "Comm <n>" for people.
PortTarget CommPort(int n);

class Link {
 public:
  Link(Kozos& kozos, ListBox& Portok, const LiveDisplay& display, const ParameterLists& lists,
       WindowModel& window, Version version, const Line& line, Timer& timer, Dialogs& dialogs,
       Beep& beep, Desktop& desktop, Reconnection& reconnection);

  // The serial port (link/PortOpening.cpp). The list's choice is a Comm number.
  void Portok_Click();
  // Starts a new link on target; an unchosen target closes the port and stops polling.
  void ChoosePort(const PortTarget& target);
  // Close and open the same port again; a failure is handled like an opening error,
  // or waited out when the automatic re-connection is on.
  void ReopenPort();
  void Comm1_OnComm(CommEvent event);
  // One try of the automatic re-connection at the same port number.
  void RetryPort();

  // Polling and supervision (link/Polling.cpp).
  void Timer_Timer();
  void ShowLinkLost();

  // Replies (link/ReplyParser.cpp).
  void ParseReply();
  void RequestVersion();

 private:
  void reportOpenFailure(const OpenResult& result);
  void abandonPort(const OpenResult& result);
  void lostPort(const OpenResult& result);
  void showLineError(const char* digit);
  OpenResult openTarget();
  void setLive(bool live);
  void applyStatus(const FrameBytes& frame);
  void applyVersion(const FrameBytes& frame);
  void applyStoredParameters(const FrameBytes& frame);

  Kozos& kozos_;
  ListBox& Portok_;
  LiveDisplay display_;
  ParameterLists lists_;
  WindowModel& window_;
  Version version_;
  Line line_;
  Timer& timer_;
  Dialogs& dialogs_;
  Beep& beep_;
  Desktop& desktop_;
  Reconnection& reconnection_;
  PortTarget target_;
  // The next link is the first on this port choice, told as up rather than restored.
  bool firstLink_ = true;
  // A noisy line can raise errors faster than boxes are closed; one at a time.
  bool lineBoxUp_ = false;
};

}  // namespace voltander

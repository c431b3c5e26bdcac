#include <cstdint>

#include "common/SignedBlank.h"
#include "link/Link.h"
#include "platform/Dialogs.h"
#include "platform/Journal.h"
#include "platform/System.h"
#include "platform/Timer.h"

namespace voltander {

Link::Link(Kozos& kozos, ListBox& Portok, const LiveDisplay& display, const ParameterLists& lists,
           WindowModel& window, Version version, const Line& line, Timer& timer, Dialogs& dialogs,
           Beep& beep, Desktop& desktop, Reconnection& reconnection)
    : kozos_(kozos),
      Portok_(Portok),
      display_(display),
      lists_(lists),
      window_(window),
      version_(version),
      line_(line),
      timer_(timer),
      dialogs_(dialogs),
      beep_(beep),
      desktop_(desktop),
      reconnection_(reconnection) {}

// What the user is told when a port cannot be had: the two failures a user can act
// on get a box; anything else only leaves its number on the window.
void Link::reportOpenFailure(const OpenResult& result) {
  switch (result.error) {
    case OpenError::InvalidPort:
      dialogs_.message("Érvénytelen port szám! Kérem válasszon másikat!", Buttons::Ok,
                       Icon::Critical);
      break;
    case OpenError::PortInUse:
      dialogs_.message("Foglalt port szám! Kérem válasszon másikat!", Buttons::Ok, Icon::Critical);
      break;
    case OpenError::Other:
    case OpenError::None:
      window_.print(SignedBlank(std::int64_t{result.code}) + "\n");
      break;
  }
}

// Gives up the port: the timer stops before any box goes up, so no tick polls a closed
// port or re-opens it again from behind the modal box.
void Link::abandonPort(const OpenResult& result) {
  timer_.setEnabled(false);
  reportOpenFailure(result);
  target_ = {};
  Portok_.setSelectedSilently(-1);
  ShowLinkLost();
}

void Link::showLineError(const char* digit) {
  if (lineBoxUp_) return;
  lineBoxUp_ = true;
  dialogs_.message(digit, Buttons::Ok, Icon::None);
  lineBoxUp_ = false;
}

PortTarget CommPort(int n) {
  const std::string number = std::to_string(n);
  return {n, "", "comm" + number, "Comm " + number};
}

// A Comm number is looked up at every opening, so a link made or changed in the
// ports folder meanwhile is followed.
OpenResult Link::openTarget() {
  PortTarget opening = target_;
  if (opening.comm > 0) opening.device = line_.port.deviceForComm(opening.comm);
  const OpenResult result = line_.port.open(opening.device);
  line_.journal.portOpened(opening, result);
  return result;
}

void Link::Portok_Click() {
  const int position = Portok_.selected();
  ChoosePort(position < 0 ? PortTarget{} : CommPort(position + 1));
}

void Link::ChoosePort(const PortTarget& target) {
  // The user's choice replaces whatever port was being waited for.
  reconnection_.stop();
  // Whatever answered on the previous port says nothing of the controller on this one:
  // its first reply starts the handshake of a new link.
  firstLink_ = true;
  kozos_.LiveLink = false;
  kozos_.ReplySeen = false;
  if (line_.port.isOpen()) line_.port.close();
  target_ = target;
  if (!target_.chosen()) {
    timer_.setEnabled(false);
    return;
  }
  const OpenResult result = openTarget();
  if (result.ok()) {
    timer_.setEnabled(true);
    return;
  }
  if (reconnection_.unattended()) {
    lostPort(result);
    return;
  }
  if (result.error == OpenError::Other) {
    reportOpenFailure(result);
    return;
  }
  abandonPort(result);
}

void Link::ReopenPort() {
  if (const int stray = line_.port.waiting()) line_.journal.strayBytes(stray);
  line_.port.close();
  if (!target_.chosen()) return;
  const OpenResult result = openTarget();
  if (!result.ok()) lostPort(result);
}

// A port that vanished (an unplugged adapter) would fail again at every tick. Given
// up like a failed choice, it is reported once and waits for the user's next choice;
// left unattended, it keeps its selection and is tried again quietly, polling paused.
void Link::lostPort(const OpenResult& result) {
  if (!reconnection_.waitsOut(result)) {
    reconnection_.stop();
    abandonPort(result);
    return;
  }
  timer_.setEnabled(false);
  ShowLinkLost();
  reconnection_.start();
}

// Back at the port, polling starts as after the user's choice: a full period, then
// the handshake of a new connection.
void Link::RetryPort() {
  if (!target_.chosen()) {
    reconnection_.stop();
    return;
  }
  const OpenResult result = openTarget();
  if (!result.ok()) {
    lostPort(result);
    return;
  }
  reconnection_.stop();
  timer_.setEnabled(true);
}

void Link::Comm1_OnComm(CommEvent event) {
  switch (event) {
    case CommEvent::Receive:
      if (line_.port.waiting() == 10) {
        kozos_.ReplySeen = true;
        ParseReply();
      }
      break;
    case CommEvent::Break:
      showLineError("1");
      break;
    case CommEvent::Frame:
      beep_.beep();
      ReopenPort();
      break;
    case CommEvent::Overrun:
      showLineError("3");
      break;
    case CommEvent::RxOver:
      showLineError("4");
      break;
    case CommEvent::RxParity:
      showLineError("5");
      break;
    case CommEvent::TxFull:
      showLineError("6");
      break;
    case CommEvent::Dcb:
      showLineError("7");
      break;
    case CommEvent::CarrierDetect:
      line_.port.setBreak(false);
      break;
    case CommEvent::DeviceLost:
      // The port is closed already; the next tick that misses a reply tries to re-open
      // it and reports the failure once.
      break;
  }
}

}  // namespace voltander

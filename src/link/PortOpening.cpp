#include <cstdint>

#include "app/Folap.h"
#include "common/SignedBlank.h"

namespace voltander {

namespace {

// What the user is told when a port cannot be had: the two failures a user can act
// on get a box; anything else only leaves its number on the window.
void ReportOpenFailure(Folap& form, const OpenResult& result) {
  switch (result.error) {
    case OpenError::InvalidPort:
      form.platform.dialogs.message("Érvénytelen port szám! Kérem válasszon másikat!", Buttons::Ok,
                                    Icon::Critical);
      break;
    case OpenError::PortInUse:
      form.platform.dialogs.message("Foglalt port szám! Kérem válasszon másikat!", Buttons::Ok,
                                    Icon::Critical);
      break;
    case OpenError::Other:
    case OpenError::None:
      form.window.print(SignedBlank(std::int64_t{result.code}) + "\n");
      break;
  }
}

// Gives up the port: the timer stops before any box goes up, so no tick polls a closed
// port or re-opens it again from behind the modal box.
void AbandonPort(Folap& form, const OpenResult& result) {
  form.platform.timer.setEnabled(false);
  ReportOpenFailure(form, result);
  form.Portok.setSelectedSilently(-1);
  form.platform.timer.setEnabled(false);
  form.ShowLinkLost();
}

void ShowLineError(Folap& form, const char* digit) {
  form.platform.dialogs.message(digit, Buttons::Ok, Icon::None);
}

}  // namespace

void Folap::Portok_Click() {
  if (platform.port.isOpen()) platform.port.close();
  const int position = Portok.selected();
  if (position < 0) {
    platform.timer.setEnabled(false);
    return;
  }
  const OpenResult result = platform.port.open(position + 1);
  platform.journal.portOpened(position + 1, result);
  if (result.ok()) {
    platform.timer.setEnabled(true);
    return;
  }
  if (result.error == OpenError::Other) {
    ReportOpenFailure(*this, result);
    return;
  }
  AbandonPort(*this, result);
}

void Folap::ReopenPort() {
  if (const int stray = platform.port.waiting()) platform.journal.strayBytes(stray);
  platform.port.close();
  const int position = Portok.selected();
  if (position < 0) return;
  const OpenResult result = platform.port.open(position + 1);
  platform.journal.portOpened(position + 1, result);
  // A port that vanished (an unplugged adapter) would fail again at every tick; giving
  // it up like a failed choice reports it once and waits for the user's next choice.
  if (!result.ok()) AbandonPort(*this, result);
}

void Folap::Comm1_OnComm(CommEvent event) {
  switch (event) {
    case CommEvent::Receive:
      if (platform.port.waiting() == 10) {
        kozos.ReplySeen = true;
        ParseReply();
      }
      break;
    case CommEvent::Break:
      ShowLineError(*this, "1");
      break;
    case CommEvent::Frame:
      platform.beep.beep();
      ReopenPort();
      break;
    case CommEvent::Overrun:
      ShowLineError(*this, "3");
      break;
    case CommEvent::RxOver:
      ShowLineError(*this, "4");
      break;
    case CommEvent::RxParity:
      ShowLineError(*this, "5");
      break;
    case CommEvent::TxFull:
      ShowLineError(*this, "6");
      break;
    case CommEvent::Dcb:
      ShowLineError(*this, "7");
      break;
    case CommEvent::CarrierDetect:
      platform.port.setBreak(false);
      break;
    case CommEvent::DeviceLost:
      // The port is closed already; the next tick that misses a reply tries to re-open
      // it and reports the failure once.
      break;
  }
}

}  // namespace voltander

#include "app/Folap.h"
#include "link/SendFrame.h"

namespace voltander {

void Folap::Timer_Timer() {
  if (!kozos.ReplySeen) {
    ShowLinkLost();
    // Also discards a receive buffer stuck at a count other than ten.
    ReopenPort();
  }
  kozos.ReplySeen = false;
  // The port can be closed here (device gone, or a failed choice the user has not yet
  // answered); a poll then has nowhere to go.
  if (platform.port.isOpen()) SendFrame(platform.port, platform.pause, platform.journal, kPoll);
}

void Folap::ShowLinkLost() {
  if (kozos.LiveLink) platform.journal.linkLost();
  kozos.LiveLink = false;
  AMVerzio.setText("???");
  Allapot.setEnabled(false);
  LED2.setBackground(kRed);
  LED2.setCaption("");
  for (Label& label : State) label.setEnabled(false);
  Kall.setVisible(false);
  Bar.setValue(0);
  Led.setEnabled(false);
}

}  // namespace voltander

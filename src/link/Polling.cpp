#include "link/Link.h"
#include "platform/Journal.h"
#include "platform/Timer.h"

namespace voltander {

void Link::Timer_Timer() {
  line_.port.checkLine();
  if (!kozos_.ReplySeen) {
    ShowLinkLost();
    // Also discards a receive buffer stuck at a count other than ten.
    ReopenPort();
  }
  kozos_.ReplySeen = false;
  // The port can be closed here (device gone, or a failed choice the user has not yet
  // answered); a poll then has nowhere to go.
  if (line_.port.isOpen()) SendFrame(line_, kPoll);
}

void Link::setLive(bool live) {
  if (live == kozos_.LiveLink) return;
  kozos_.LiveLink = live;
  if (live && firstLink_) {
    firstLink_ = false;
    line_.journal.linkUp();
  } else if (live) {
    line_.journal.linkRestored();
  } else {
    line_.journal.linkLost();
  }
}

void SetUpLiveDisplay(const LiveDisplay& d) {
  d.State[0].setCaption("Nincs akku");
  d.State[1].setCaption("Gyors töltés");
  d.State[2].setCaption("Normál töltés");
  d.State[3].setCaption("Szintentartás");
  d.State[4].setCaption("Karbantartás");
  for (Label& s : d.State) s.setEnabled(false);
  d.Allapot.setCaption("Állapot");
  d.Allapot.setEnabled(false);
  d.LED2.setBackground(kRed);
  d.Kall.setCaption("Kalibrációs hurok!");
  d.Kall.setVisible(false);
  d.Hiba.setCaption("HIBA!");
  d.Hiba.setVisible(false);
  d.Led.setCaption("× Töltés ×");
  d.Led.setEnabled(false);
  d.Bar.setRange(0, 255);
  d.AMVerzio.setText("???");
}

void Link::ShowLinkLost() {
  setLive(false);
  display_.AMVerzio.setText("???");
  display_.Allapot.setEnabled(false);
  display_.LED2.setBackground(kRed);
  display_.LED2.setCaption("");
  for (Label& label : display_.State) label.setEnabled(false);
  display_.Kall.setVisible(false);
  display_.Bar.setValue(0);
  display_.Led.setEnabled(false);
}

}  // namespace voltander

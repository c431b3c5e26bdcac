// What systemd hears from the service (Type=notify): ready once the configuration is
// read and the port first tried, alive at half the unit's watchdog period, and
// stopping. The keep-alives come from a timer of the event loop, so a loop that hangs
// stops them and systemd restarts the service. Outside systemd all of it is nothing.
#pragma once

#include <QTimer>

namespace voltander {

class SystemdNotice {
 public:
  SystemdNotice();
  void ready();
  void stopping();
  // The keep-alive period, 0 when no watchdog asks for one.
  int keepAliveMs() const { return keepAliveMs_; }

 private:
  QTimer keepAlive_;
  int keepAliveMs_ = 0;
};

}  // namespace voltander

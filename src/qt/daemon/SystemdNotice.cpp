#include "qt/daemon/SystemdNotice.h"

#include <systemd/sd-daemon.h>

#include <cstdint>

namespace voltander {

SystemdNotice::SystemdNotice() {
  std::uint64_t usec = 0;
  if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
    keepAliveMs_ = static_cast<int>(usec / 2000);
    if (keepAliveMs_ < 1) keepAliveMs_ = 1;
    QObject::connect(&keepAlive_, &QTimer::timeout, [] { sd_notify(0, "WATCHDOG=1"); });
  }
}

void SystemdNotice::ready() {
  sd_notify(0, "READY=1");
  if (keepAliveMs_ > 0) keepAlive_.start(keepAliveMs_);
}

void SystemdNotice::stopping() {
  keepAlive_.stop();
  sd_notify(0, "STOPPING=1");
}

}  // namespace voltander

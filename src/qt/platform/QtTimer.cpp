#include "qt/platform/QtTimer.h"

namespace voltander {

QtTimer::QtTimer() {
  QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
    if (onTick) onTick();
  });
}

void QtTimer::setInterval(int ms) {
  if (ms < 0) ms = 0;
  if (ms == interval_) return;
  interval_ = ms;
  // A new period restarts the count, as enabling does.
  timer_.stop();
  sync();
}

void QtTimer::setEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  sync();
}

// A zero period means no ticks at all rather than a tick on every loop pass.
void QtTimer::sync() {
  const bool run = enabled_ && interval_ > 0;
  if (!run) {
    timer_.stop();
    return;
  }
  if (!timer_.isActive()) timer_.start(interval_);
}

}  // namespace voltander

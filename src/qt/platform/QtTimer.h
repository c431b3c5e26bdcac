// The polling timer on a QTimer. Ticks come from the event loop, so they also arrive
// while a modal box is open, as the link's supervision expects.
#pragma once

#include <QTimer>

#include "platform/Timer.h"

namespace voltander {

class QtTimer : public Timer {
 public:
  QtTimer();
  void setInterval(int ms) override;
  int interval() const override { return interval_; }
  void setEnabled(bool on) override;
  bool enabled() const override { return enabled_; }

 private:
  void sync();

  QTimer timer_;
  // Non-zero from the start: a timer enabled before anyone set a period must not
  // fire on every pass of the event loop.
  int interval_ = 2000;
  bool enabled_ = false;
};

}  // namespace voltander

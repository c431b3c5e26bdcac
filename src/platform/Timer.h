// The polling timer: a period, an enabled state and a tick. Enabling starts a full
// period; ticks come on the user-interface thread.
#pragma once

#include <functional>

namespace voltander {

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void setInterval(int ms) = 0;
  virtual int interval() const = 0;
  virtual void setEnabled(bool on) = 0;
  virtual bool enabled() const = 0;

  std::function<void()> onTick;
};

}  // namespace voltander

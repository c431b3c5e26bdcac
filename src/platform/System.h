// The small services the logic needs from the desktop: a blocking pause, the system
// beep, the locale's decimal separator and a way to let pending window events run.
#pragma once

#include <string>

namespace voltander {

class Pause {
 public:
  virtual ~Pause() = default;
  virtual void sleepMs(int ms) = 0;
};

class Beep {
 public:
  virtual ~Beep() = default;
  virtual void beep() = 0;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  // The user's decimal separator, used only by display patterns.
  virtual std::string decimalSeparator() const = 0;
  // Runs the window events already queued, then returns.
  virtual void processEvents() = 0;
};

}  // namespace voltander

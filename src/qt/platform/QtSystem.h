// The small desktop services: a blocking pause, the system beep, the user's decimal
// separator and a pass over the pending window events.
#pragma once

#include "platform/System.h"

namespace voltander {

class QtPause : public Pause {
 public:
  // Blocks the calling thread; nothing else runs meanwhile, which is what keeps
  // two frames from interleaving.
  void sleepMs(int ms) override;
};

// Needs the widget toolkit (QtBeep.cpp): the window's only.
class QtBeep : public Beep {
 public:
  void beep() override;
};

class QtDesktop : public Desktop {
 public:
  std::string decimalSeparator() const override;
  void processEvents() override;
};

}  // namespace voltander

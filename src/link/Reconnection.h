// Unattended runs: with its switch on, a port whose device went away is not given up
// but opened again on a slow timer of its own, silently, until it answers or the user
// chooses another port. This class keeps only when the tries run; the link makes them.
#pragma once

#include "controls/Controls.h"
#include "platform/SerialPort.h"
#include "platform/Timer.h"

namespace voltander {

class Reconnection {
 public:
  static constexpr int kPeriodMs = 5000;

  // The switch is the menu item's check mark; the timer is the tries' own. Unattended
  // (a service), every failed opening is waited out, the first choice's included:
  // nobody is there to choose again or to answer a box.
  Reconnection(const MenuItem& enabled, Timer& timer, bool unattended = false);

  // Whether a failed opening is waited out instead of reported: only while the switch
  // is on, and never a refusal the user has to act on (missing rights), unless
  // unattended.
  bool waitsOut(const OpenResult& result) const;
  bool unattended() const { return unattended_; }

  void start();
  void stop();
  bool trying() const { return trying_; }

  // While another window has the line to itself no try may open the port.
  void hold();
  void release();

 private:
  void sync();

  const MenuItem& enabled_;
  Timer& timer_;
  const bool unattended_;
  bool trying_ = false;
  bool held_ = false;
};

}  // namespace voltander

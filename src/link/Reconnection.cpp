#include "link/Reconnection.h"

namespace voltander {

Reconnection::Reconnection(const MenuItem& enabled, Timer& timer, bool unattended)
    : enabled_(enabled), timer_(timer), unattended_(unattended) {}

bool Reconnection::waitsOut(const OpenResult& result) const {
  return unattended_ || (enabled_.checked() && result.code != kPortNoAccess);
}

void Reconnection::start() {
  if (trying_) return;
  trying_ = true;
  timer_.setInterval(kPeriodMs);
  sync();
}

void Reconnection::stop() {
  trying_ = false;
  sync();
}

void Reconnection::hold() {
  held_ = true;
  sync();
}

void Reconnection::release() {
  held_ = false;
  sync();
}

void Reconnection::sync() { timer_.setEnabled(trying_ && !held_); }

}  // namespace voltander

// Deferred work on the Qt event loop: queued to this object, so a job still waiting
// when the object goes is dropped rather than run against what is gone.
#pragma once

#include <QObject>

#include "platform/Deferred.h"

namespace voltander {

class QtDeferred : public QObject, public Deferred {
 public:
  void post(std::function<void()> job) override;
};

}  // namespace voltander

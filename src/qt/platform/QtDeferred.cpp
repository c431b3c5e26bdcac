#include "qt/platform/QtDeferred.h"

#include <QMetaObject>

namespace voltander {

void QtDeferred::post(std::function<void()> job) {
  QMetaObject::invokeMethod(this, std::move(job), Qt::QueuedConnection);
}

}  // namespace voltander

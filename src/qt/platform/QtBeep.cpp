// The beep is the one desktop service that needs the widget toolkit; kept apart so
// the service, which has no window, links without it.
#include <QApplication>

#include "qt/platform/QtSystem.h"

namespace voltander {

void QtBeep::beep() { QApplication::beep(); }

}  // namespace voltander

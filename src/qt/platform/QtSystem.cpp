#include "qt/platform/QtSystem.h"

#include <QCoreApplication>
#include <QLocale>
#include <cerrno>
#include <ctime>

namespace voltander {

void QtPause::sleepMs(int ms) {
  if (ms <= 0) return;
  timespec left{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  // A signal must not cut the pause short: the pacing of a frame depends on it.
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

std::string QtDesktop::decimalSeparator() const { return QLocale().decimalPoint().toStdString(); }

void QtDesktop::processEvents() { QCoreApplication::processEvents(); }

}  // namespace voltander

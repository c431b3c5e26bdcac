#include "qt/widgets/Twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace voltander {

TwipScale ScreenTwipScale() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return TwipScale(screen ? screen->logicalDotsPerInch() : 96.0);
}

}  // namespace voltander

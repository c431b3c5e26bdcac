#include "qt/platform/LinkLog.h"

#include <QCoreApplication>
#include <QDebug>

// Info and above by default: the log's debug lines stay off until a rule asks.
Q_LOGGING_CATEGORY(lcVoltanderLink, "voltander.link", QtInfoMsg)

namespace voltander {

namespace {

template <std::size_t N>
QString Hex(const std::array<std::uint8_t, N>& bytes) {
  QStringList parts;
  for (std::uint8_t b : bytes) {
    parts << QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
  }
  return parts.join(QLatin1Char(' '));
}

// The frame's letter names the command or reply; a bad frame may carry anything.
QChar Letter(const LineFrame& frame) {
  const char c = static_cast<char>(frame[1]);
  return c >= 0x21 && c <= 0x7e ? QLatin1Char(c) : QLatin1Char('?');
}

const char* Outcome(OpenError error) {
  switch (error) {
    case OpenError::None:
      return "opened";
    case OpenError::InvalidPort:
      return "invalid port";
    case OpenError::PortInUse:
      return "port in use";
    case OpenError::Other:
      break;
  }
  return "failed";
}

}  // namespace

LinkLog::LinkLog() { clock_.start(); }

void LinkLog::write(const QString& text) const {
  qCDebug(lcVoltanderLink).noquote() << QStringLiteral("%1 ms").arg(clock_.elapsed(), 9) << text;
}

void LinkLog::started() {
  if (!lcVoltanderLink().isDebugEnabled()) return;
  write(QStringLiteral("started, Qt's buttons: %1 %2")
            .arg(QCoreApplication::translate("QPlatformTheme", "&Yes"),
                 QCoreApplication::translate("QPlatformTheme", "&No")));
}

void LinkLog::frameSent(const LineFrame& frame) {
  if (!lcVoltanderLink().isDebugEnabled()) return;
  write(QStringLiteral("sent     %1  %2").arg(Letter(frame)).arg(Hex(frame)));
}

void LinkLog::frameReceived(const LineFrame& frame) {
  if (!lcVoltanderLink().isDebugEnabled()) return;
  write(QStringLiteral("received %1  %2").arg(Letter(frame)).arg(Hex(frame)));
}

void LinkLog::strayBytes(int count) {
  if (!lcVoltanderLink().isDebugEnabled()) return;
  write(QStringLiteral("stray bytes thrown away: %1").arg(count));
}

void LinkLog::portOpened(const PortTarget& port, const OpenResult& result) {
  if (!lcVoltanderLink().isDebugEnabled()) return;
  QString text = QStringLiteral("open %1: %2, code %3, device %4")
                     .arg(QString::fromStdString(port.title), QLatin1String(Outcome(result.error)))
                     .arg(result.code)
                     .arg(QString::fromStdString(port.device));
  if (!result.osText.empty())
    text += QStringLiteral(", system: ") + QString::fromStdString(result.osText);
  write(text);
}

void LinkLog::lineEvent(CommEvent event, const std::string& detail) {
  if (!lcVoltanderLink().isDebugEnabled()) return;
  write(QStringLiteral("line event %1: %2")
            .arg(static_cast<int>(event))
            .arg(QString::fromStdString(detail)));
}

void LinkLog::linkUp() {
  if (lcVoltanderLink().isDebugEnabled()) write(QStringLiteral("link up"));
}

void LinkLog::linkLost() {
  if (lcVoltanderLink().isDebugEnabled()) write(QStringLiteral("link lost"));
}

void LinkLog::linkRestored() {
  if (lcVoltanderLink().isDebugEnabled()) write(QStringLiteral("link restored"));
}

void LinkLog::parameterUpload(const std::array<std::uint8_t, 7>& codes) {
  if (!lcVoltanderLink().isDebugEnabled()) return;
  write(QStringLiteral("parameter upload, codes %1").arg(Hex(codes)));
}

void LinkLog::calibrationUpload(std::uint16_t n) {
  if (lcVoltanderLink().isDebugEnabled()) write(QStringLiteral("calibration upload, N %1").arg(n));
}

void LinkLog::parameterFileOpened(const std::string& name) {
  if (!lcVoltanderLink().isDebugEnabled()) return;
  write(QStringLiteral("parameter file opened: %1").arg(QString::fromStdString(name)));
}

void LinkLog::parameterFileSaved(const std::string& name) {
  if (!lcVoltanderLink().isDebugEnabled()) return;
  write(QStringLiteral("parameter file saved: %1").arg(QString::fromStdString(name)));
}

}  // namespace voltander

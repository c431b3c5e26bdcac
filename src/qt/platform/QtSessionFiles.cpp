#include "qt/platform/QtSessionFiles.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

namespace voltander {

QtSessionFiles::QtSessionFiles(QString folder)
    : folder_(folder.isEmpty() ? DefaultFolder() : std::move(folder)) {}

QString QtSessionFiles::DefaultFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
         QStringLiteral("/naplo");
}

bool QtSessionFiles::start(const std::string& name) {
  file_.close();
  if (!QDir().mkpath(folder_)) return false;
  file_.setFileName(folder_ + QLatin1Char('/') + QString::fromStdString(name));
  // Unbuffered: every write goes to the system at once, so a crash of this
  // program loses nothing already written.
  return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

bool QtSessionFiles::append(const std::string& line) {
  if (!file_.isOpen()) return false;
  const std::string whole = line + '\n';
  const qint64 size = static_cast<qint64>(whole.size());
  if (file_.write(whole.data(), size) != size || !file_.flush()) {
    file_.close();
    return false;
  }
  return true;
}

std::vector<SessionFileInfo> QtSessionFiles::list() {
  std::vector<SessionFileInfo> out;
  const QFileInfoList entries =
      QDir(folder_).entryInfoList({QStringLiteral("*.csv")}, QDir::Files, QDir::Name);
  for (const QFileInfo& info : entries)
    out.push_back({info.fileName().toStdString(), static_cast<std::uint64_t>(info.size())});
  return out;
}

bool QtSessionFiles::remove(const std::string& name) {
  return QFile::remove(folder_ + QLatin1Char('/') + QString::fromStdString(name));
}

LocalTime QtClock::now() {
  const QDateTime t = QDateTime::currentDateTime();
  const QDate d = t.date();
  const QTime c = t.time();
  return {d.year(),   d.month(),  d.day(),  c.hour(),
          c.minute(), c.second(), c.msec(), t.offsetFromUtc() / 60};
}

}  // namespace voltander

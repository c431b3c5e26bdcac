#include "qt/platform/QtSessionFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace voltander {

QtSessionFiles::QtSessionFiles(QString folder)
    : folder_(folder.isEmpty() ? DefaultFolder() : std::move(folder)) {}

QString QtSessionFiles::DefaultFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
         QStringLiteral("/naplo");
}

SessionFiles::Start QtSessionFiles::start(const std::string& name) {
  file_.close();
  if (!QDir().mkpath(folder_)) return Start::Failed;
  file_.setFileName(folder_ + QLatin1Char('/') + QString::fromStdString(name));
  // NewOnly is an exclusive create: of two programs starting a session in the same
  // second, one gets the name and the other is told it is taken. Unbuffered:
  // every write goes to the system at once, so a crash loses nothing written.
  if (file_.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
    return Start::Created;
  return QFileInfo::exists(file_.fileName()) ? Start::Taken : Start::Failed;
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

std::string QtSessionFiles::read(const std::string& name, std::uint64_t offset,
                                 std::uint64_t length) {
  QFile file(folder_ + QLatin1Char('/') + QString::fromStdString(name));
  if (!file.open(QIODevice::ReadOnly) || !file.seek(static_cast<qint64>(offset))) return {};
  const QByteArray bytes = file.read(static_cast<qint64>(length));
  return bytes.toStdString();
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

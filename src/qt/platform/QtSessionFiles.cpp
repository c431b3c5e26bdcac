#include "qt/platform/QtSessionFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

namespace voltander {

namespace {

// Whether path still names the file open at fd.
bool Names(const QByteArray& path, int fd) {
  struct stat named {};
  struct stat opened {};
  return ::lstat(path.constData(), &named) == 0 && ::fstat(fd, &opened) == 0 &&
         named.st_dev == opened.st_dev && named.st_ino == opened.st_ino;
}

}  // namespace

QtSessionFiles::QtSessionFiles(QString folder)
    : folder_(folder.isEmpty() ? DefaultFolder() : std::move(folder)) {}

QtSessionFiles::~QtSessionFiles() { close(); }

QString QtSessionFiles::DefaultFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
         QStringLiteral("/naplo");
}

QByteArray QtSessionFiles::path(const std::string& name) const {
  return QFile::encodeName(folder_ + QLatin1Char('/') + QString::fromStdString(name));
}

SessionFiles::Start QtSessionFiles::start(const std::string& name) {
  close();
  if (!QDir().mkpath(folder_)) return Start::Failed;
  const QByteArray file = path(name);
  for (int attempt = 0; attempt < 3; ++attempt) {
    // O_EXCL: of two programs starting a session in the same second, one gets the
    // name and the other is told it is taken; a link of that name is not followed.
    const int fd = ::open(file.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? Start::Taken : Start::Failed;
    // Until the lock is taken, a program trimming the folder may remove the new
    // file (it locks a file before it removes it): then the lock fails, or the name
    // no longer leads to this file, and the file is made again.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && Names(file, fd)) {
      fd_ = fd;
      return Start::Created;
    }
    ::close(fd);
  }
  return Start::Taken;
}

bool QtSessionFiles::append(const std::string& line) {
  if (fd_ < 0) return false;
  const std::string whole = line + '\n';
  // Unbuffered: every line goes to the system at once, so a crash loses nothing written.
  for (std::size_t done = 0; done < whole.size();) {
    const ssize_t n = ::write(fd_, whole.data() + done, whole.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      close();
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void QtSessionFiles::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::vector<SessionFileInfo> QtSessionFiles::list() {
  std::vector<SessionFileInfo> out;
  // The suffix is checked here: a name filter would load a regular-expression engine
  // into the service for this one pattern.
  for (const QFileInfo& info : QDir(folder_).entryInfoList(QDir::Files, QDir::Name)) {
    if (info.fileName().endsWith(QLatin1String(".csv")))
      out.push_back({info.fileName().toStdString(), static_cast<std::uint64_t>(info.size())});
  }
  return out;
}

std::string QtSessionFiles::read(const std::string& name, std::uint64_t offset,
                                 std::uint64_t length) {
  QFile file(QFile::decodeName(path(name)));
  if (!file.open(QIODevice::ReadOnly) || !file.seek(static_cast<qint64>(offset))) return {};
  const QByteArray bytes = file.read(static_cast<qint64>(length));
  return bytes.toStdString();
}

bool QtSessionFiles::remove(const std::string& name) {
  const QByteArray file = path(name);
  const int fd = ::open(file.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  // A link is nobody's session file: it goes without a lock.
  if (fd < 0) return errno == ELOOP && ::unlink(file.constData()) == 0;
  // A file being written holds its lock. Held here, it keeps a new session from
  // taking the file while it goes, and the name must still lead to the file locked.
  const bool gone =
      ::flock(fd, LOCK_EX | LOCK_NB) == 0 && Names(file, fd) && ::unlink(file.constData()) == 0;
  ::close(fd);
  return gone;
}

LocalTime QtClock::now() {
  const QDateTime t = QDateTime::currentDateTime();
  const QDate d = t.date();
  const QTime c = t.time();
  return {d.year(),   d.month(),  d.day(),  c.hour(),
          c.minute(), c.second(), c.msec(), t.offsetFromUtc() / 60};
}

}  // namespace voltander

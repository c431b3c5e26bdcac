// The session files on disk: the "naplo" folder under the per-user application
// data folder, each created new, each line written to the system before the call
// returns. The file being written holds an flock() lock, which conflicts between
// any two open files, in one process or two, so a program trimming a shared folder
// leaves it alone.
#pragma once

#include <QByteArray>
#include <QString>

#include "platform/Clock.h"
#include "platform/SessionFiles.h"

namespace voltander {

class QtSessionFiles : public SessionFiles {
 public:
  // folder: where the sessions live; empty for the per-user default.
  explicit QtSessionFiles(QString folder = {});
  ~QtSessionFiles() override;
  QtSessionFiles(const QtSessionFiles&) = delete;
  QtSessionFiles& operator=(const QtSessionFiles&) = delete;
  // The per-user default folder.
  static QString DefaultFolder();
  const QString& folder() const { return folder_; }

  Start start(const std::string& name) override;
  bool append(const std::string& line) override;
  void close() override;
  std::vector<SessionFileInfo> list() override;
  bool remove(const std::string& name) override;
  std::string read(const std::string& name, std::uint64_t offset, std::uint64_t length) override;

 private:
  QByteArray path(const std::string& name) const;

  QString folder_;
  int fd_ = -1;  // the file being written, locked
};

class QtClock : public Clock {
 public:
  LocalTime now() override;
};

}  // namespace voltander

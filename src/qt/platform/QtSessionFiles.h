// The session files on disk: the "naplo" folder under the per-user application
// data folder, each created new, each line written to the system before the call
// returns.
#pragma once

#include <QFile>
#include <QString>

#include "platform/Clock.h"
#include "platform/SessionFiles.h"

namespace voltander {

class QtSessionFiles : public SessionFiles {
 public:
  // folder: where the sessions live; empty for the per-user default.
  explicit QtSessionFiles(QString folder = {});
  // The per-user default folder.
  static QString DefaultFolder();
  const QString& folder() const { return folder_; }

  Start start(const std::string& name) override;
  bool append(const std::string& line) override;
  std::vector<SessionFileInfo> list() override;
  bool remove(const std::string& name) override;
  std::string read(const std::string& name, std::uint64_t offset, std::uint64_t length) override;

 private:
  QString folder_;
  QFile file_;
};

class QtClock : public Clock {
 public:
  LocalTime now() override;
};

}  // namespace voltander

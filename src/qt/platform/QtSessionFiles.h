// The session files on disk: the "naplo" folder under the per-user application
// data folder, each line appended and flushed to the file before the call returns.
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

  bool start(const std::string& name) override;
  bool append(const std::string& line) override;
  std::vector<SessionFileInfo> list() override;
  bool remove(const std::string& name) override;

 private:
  QString folder_;
  QFile file_;
};

class QtClock : public Clock {
 public:
  LocalTime now() override;
};

}  // namespace voltander

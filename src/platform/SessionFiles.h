// The folder of charge-history sessions, one file per session. Lines are written
// whole and flushed one by one, so a crash costs at most the line being written;
// a false return (a full disk, a vanished folder) is the only failure signal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace voltander {

struct SessionFileInfo {
  std::string name;  // bare file name, e.g. 2026-03-01_08-15-00.csv
  std::uint64_t size = 0;
};

class SessionFiles {
 public:
  virtual ~SessionFiles() = default;
  // Makes name the file that append() writes to, creating the folder and the file.
  virtual bool start(const std::string& name) = 0;
  // Appends line and a line feed to the current file and flushes them.
  virtual bool append(const std::string& line) = 0;
  virtual std::vector<SessionFileInfo> list() = 0;
  virtual bool remove(const std::string& name) = 0;
};

}  // namespace voltander

// The folder of charge-history sessions, one file per session. Lines are written
// whole and flushed one by one, so a crash costs at most the line being written;
// a false return (a full disk, a vanished folder) is the only failure signal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace voltander {

struct SessionFileInfo {
  std::string name;  // bare file name, e.g. 2026-03-01_08-15-00.csv or ..._08-15-00-2.csv
  std::uint64_t size = 0;
};

class SessionFiles {
 public:
  virtual ~SessionFiles() = default;
  enum class Start { Created, Taken, Failed };
  // Makes name the file that append() writes to, creating the folder and the file.
  // A file of that name is never reopened, however it came there: Taken.
  virtual Start start(const std::string& name) = 0;
  // Appends line and a line feed to the current file and flushes them.
  virtual bool append(const std::string& line) = 0;
  virtual std::vector<SessionFileInfo> list() = 0;
  virtual bool remove(const std::string& name) = 0;
  // Up to length bytes of a session from offset; "" when it cannot be read.
  virtual std::string read(const std::string& name, std::uint64_t offset,
                           std::uint64_t length) = 0;
};

}  // namespace voltander

// The folder of charge-history sessions, each written in one or more part files.
// Lines are written whole and flushed one by one, so a crash costs at most the line
// being written; a false return (a full disk, a vanished folder) is the only failure
// signal. The file being written is locked for as long as it is written, so that no
// program sharing the folder removes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace voltander {

struct SessionFileInfo {
  std::string name;  // bare file name, e.g. 2026-03-01_08-15-00.csv or ..._08-15-00-2.csv
  std::uint64_t size = 0;
  // Known to be written by some program (a removal was refused): never removed.
  bool live = false;
};

class SessionFiles {
 public:
  virtual ~SessionFiles() = default;
  enum class Start { Created, Taken, Failed };
  // Makes name the file that append() writes to, creating the folder and the file,
  // and locks it until close() or the next start(). A file of that name is never
  // reopened, however it came there: Taken.
  virtual Start start(const std::string& name) = 0;
  // Appends line and a line feed to the current file and flushes them; a failure
  // also closes the file.
  virtual bool append(const std::string& line) = 0;
  // Ends writing the current file and frees its lock.
  virtual void close() = 0;
  virtual std::vector<SessionFileInfo> list() = 0;
  // False when the file stays: a file being written, here or by another program,
  // is never removed.
  virtual bool remove(const std::string& name) = 0;
  // Up to length bytes of a file from offset; "" when it cannot be read.
  virtual std::string read(const std::string& name, std::uint64_t offset,
                           std::uint64_t length) = 0;
};

}  // namespace voltander

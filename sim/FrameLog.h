// The record of what the simulator received, for tests to read back: one line per
// frame, "<microseconds since the epoch> b0 ... b9" in decimal, written through at
// once so a reader sees every frame as soon as it has arrived. Lines starting with
// "#" are notes (dropped bytes, replies sent) that frame readers skip.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace voltander::sim {

std::string FrameLine(std::int64_t usec, std::span<const std::uint8_t> bytes);
std::string NoteLine(std::int64_t usec, const std::string& what,
                     std::span<const std::uint8_t> bytes);

class FrameLog {
 public:
  // No path: nothing is written.
  explicit FrameLog(const std::string& path);
  ~FrameLog();
  FrameLog(const FrameLog&) = delete;
  FrameLog& operator=(const FrameLog&) = delete;

  bool ok() const { return path_.empty() || file_ != nullptr; }
  void write(const std::string& line);

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

}  // namespace voltander::sim

#include "FrameLog.h"

namespace voltander::sim {

namespace {

std::string Bytes(std::span<const std::uint8_t> bytes) {
  std::string s;
  for (const std::uint8_t b : bytes) s += ' ' + std::to_string(b);
  return s;
}

}  // namespace

std::string FrameLine(std::int64_t usec, std::span<const std::uint8_t> bytes) {
  return std::to_string(usec) + Bytes(bytes) + '\n';
}

std::string NoteLine(std::int64_t usec, const std::string& what,
                     std::span<const std::uint8_t> bytes) {
  return "# " + std::to_string(usec) + ' ' + what + Bytes(bytes) + '\n';
}

FrameLog::FrameLog(const std::string& path) : path_(path) {
  if (!path_.empty()) file_ = std::fopen(path_.c_str(), "we");
}

FrameLog::~FrameLog() {
  if (file_) std::fclose(file_);
}

void FrameLog::write(const std::string& line) {
  if (!file_) return;
  std::fputs(line.c_str(), file_);
  std::fflush(file_);
}

}  // namespace voltander::sim

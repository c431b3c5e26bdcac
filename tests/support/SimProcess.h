// Runs the controller simulator as a child process on its own pseudo-terminal, for
// tests that need a controller at the far end of a real serial line.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace voltander::test {

// One frame the simulator received, as its log wrote it.
struct LoggedFrame {
  std::int64_t usec = 0;  // receive time, microseconds since the epoch
  std::array<std::uint8_t, 10> bytes{};
};

class SimProcess {
 public:
  // Starts the simulator with args (besides --log, which it adds) and waits until it
  // has printed its device path.
  explicit SimProcess(std::vector<std::string> args = {});
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  const std::string& device() const { return device_; }
  pid_t pid() const { return pid_; }
  const std::string& logPath() const { return log_; }
  // Every frame logged so far.
  std::vector<LoggedFrame> frames() const;
  // SIGTERM and wait; idempotent.
  void stop();

 private:
  pid_t pid_ = -1;
  std::string device_;
  std::string log_;
  std::string dir_;
};

}  // namespace voltander::test

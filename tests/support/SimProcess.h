// The controller simulator as a child process on its own pseudo-terminal, for tests
// that need a controller at the far end of a real serial line.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/TempDir.h"

namespace voltander::test {

// One frame the simulator received, as its log wrote it.
struct LoggedFrame {
  std::int64_t usec = 0;  // receive time, microseconds since the epoch
  std::array<std::uint8_t, 10> bytes{};
};

class SimProcess {
 public:
  // Starts the simulator with args (and --log) and waits for its device path. env
  // carries e.g. XDG_CONFIG_HOME for --port. Throws std::runtime_error on failure.
  explicit SimProcess(std::vector<std::string> args, const EnvOverrides& env = {});
  ~SimProcess() { stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  const std::string& device() const { return device_; }
  std::vector<LoggedFrame> frames() const;
  // Polls the log until done(frames) holds or timeoutMs pass; the last frames read.
  std::vector<LoggedFrame> waitForFrames(
      const std::function<bool(const std::vector<LoggedFrame>&)>& done, int timeoutMs) const;
  // Epoch microseconds of the log's notes of one kind ("# <usec> <what> ..."), such
  // as the bursts of noise the simulator made on its own.
  std::vector<std::int64_t> noteTimesUs(const std::string& what) const;
  // Waits for the simulator to end on its own (e.g. --exit-after); its wait status.
  std::optional<int> waitExit(int timeoutMs);
  void stop();

 private:
  TempDir dir_{"voltander-sim"};
  std::string log_ = dir_.file("frames.log");
  pid_t pid_ = -1;
  std::string device_;
};

// The frames' letters in order, e.g. "RVORR": a compact view for assertions.
std::string Letters(const std::vector<LoggedFrame>& frames);

}  // namespace voltander::test

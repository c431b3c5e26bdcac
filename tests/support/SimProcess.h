// Runs the controller simulator as a child process on its own pseudo-terminal, for
// tests that need a controller at the far end of a real serial line.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
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
  // The same with extra environment variables, e.g. XDG_CONFIG_HOME for --port.
  // Throws std::runtime_error when the simulator does not come up.
  SimProcess(std::vector<std::string> args,
             const std::vector<std::pair<std::string, std::string>>& env);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  const std::string& device() const { return device_; }
  pid_t pid() const { return pid_; }
  const std::string& logPath() const { return log_; }
  // Every frame logged so far.
  std::vector<LoggedFrame> frames() const;
  // Polls the log until done(frames) holds or timeoutMs pass; the last frames read
  // either way.
  std::vector<LoggedFrame> waitForFrames(
      const std::function<bool(const std::vector<LoggedFrame>&)>& done, int timeoutMs) const;
  // Waits for the simulator to end on its own (e.g. --exit-after); its wait status.
  std::optional<int> waitExit(int timeoutMs);
  // SIGTERM and wait; idempotent.
  void stop();

 private:
  pid_t pid_ = -1;
  std::string device_;
  std::string log_;
  std::string dir_;
};

// The frames' letters in order, e.g. "RVORR": a compact view for assertions.
std::string Letters(const std::vector<LoggedFrame>& frames);

// Parses a log: frame lines only; notes ("#") and torn lines are skipped.
std::vector<LoggedFrame> ParseFrameLog(const std::string& text);

}  // namespace voltander::test

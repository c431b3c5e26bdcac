// The simulator and the program as child processes, always with a deadline and a
// SIGKILL fallback, so a hanging child fails its test instead of the whole run.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/TempDir.h"

namespace voltander::test {

using EnvOverrides = std::vector<std::pair<std::string, std::string>>;

// Empty when the file cannot be read.
std::string ReadWholeFile(const std::string& path);

// Checks done() again each time a file in folder is written or made, until it holds
// or timeoutMs pass: the wait ends on the kernel's notice of the change.
bool WaitForFolder(const std::string& folder, const std::function<bool()>& done, int timeoutMs);

// The real program off screen with its settings and data in configHome, and what it
// writes in configHome/program-output.txt.
class ProgramProcess {
 public:
  ProgramProcess(const std::string& binary, const std::string& configHome, EnvOverrides env = {},
                 std::vector<std::string> args = {});
  ~ProgramProcess() { terminate(2000); }
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Sends signal (by default as a desktop session ends a program) and waits up to
  // timeoutMs, then kills; the exit code of a normal end, nothing after a crash or a
  // kill. Later calls give the same answer.
  std::optional<int> terminate(int timeoutMs = 10000, int signal = SIGTERM);
  std::string output() const { return ReadWholeFile(outputPath_); }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  std::string outputPath_;
};

// One frame the simulator received, as its log wrote it.
struct LoggedFrame {
  std::int64_t usec = 0;  // receive time, microseconds since the epoch
  std::array<std::uint8_t, 10> bytes{};
};

class SimProcess {
 public:
  // Starts the simulator with args (and --log) and waits for its device path; throws
  // std::runtime_error on failure.
  explicit SimProcess(std::vector<std::string> args, const EnvOverrides& env = {});
  ~SimProcess() { stop(); }  // not copyable, as its folder is not

  const std::string& device() const { return device_; }
  std::vector<LoggedFrame> frames() const;
  // Waits until done(frames) holds or timeoutMs pass; the last frames read.
  std::vector<LoggedFrame> waitForFrames(
      const std::function<bool(const std::vector<LoggedFrame>&)>& done, int timeoutMs) const;
  // Epoch microseconds of the log's notes of one kind ("# <usec> <what> ...").
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

// The frames' letters in order, e.g. "RVORR".
std::string Letters(const std::vector<LoggedFrame>& frames);

}  // namespace voltander::test

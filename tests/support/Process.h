// Starting and stopping the real binaries from tests, always with a deadline and a
// SIGKILL fallback, so a hanging child fails its test instead of the whole run.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace voltander::test {

using EnvOverrides = std::vector<std::pair<std::string, std::string>>;

// Runs argv[0] with the test's environment plus env; stdoutFd and stderrFd (-1: the
// test's own) become the child's. Throws std::runtime_error when it cannot start.
pid_t SpawnProcess(const std::vector<std::string>& argv, const EnvOverrides& env, int stdoutFd = -1,
                   int stderrFd = -1);

// The wait status once the child ended, or nothing after timeoutMs (or once reaped).
std::optional<int> WaitForExit(pid_t pid, int timeoutMs);

// SIGTERM, then up to graceMs, then SIGKILL. The wait status.
int TerminateProcess(pid_t pid, int graceMs);

// Processor seconds (user plus system) the child has used, from /proc.
std::optional<double> CpuSeconds(pid_t pid);

// Empty when the file cannot be read.
std::string ReadWholeFile(const std::string& path);

// The real program off screen with its settings in configHome, its output kept for
// the failure message.
class ProgramProcess {
 public:
  ProgramProcess(const std::string& binary, const std::string& configHome);
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool running();
  // Sends signal (by default as a desktop session ends a program) and waits up to
  // timeoutMs; the exit code of a normal end, nothing after a crash or a kill.
  std::optional<int> terminate(int timeoutMs = 10000, int signal = SIGTERM);
  std::string output() const { return ReadWholeFile(outputPath_); }

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  std::string outputPath_;
};

// Writes configHome/Voltander/Voltander.conf, the program's settings file.
void WriteSettingsFile(const std::string& configHome, const std::string& text);
// The raw text after "key=" in [section] of that file, quotes and all.
std::optional<std::string> SettingsValue(const std::string& configHome, const std::string& section,
                                         const std::string& key);

}  // namespace voltander::test

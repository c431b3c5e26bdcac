// Runs the real program for end-to-end tests: off screen, with its settings in a
// private configuration folder, stopped the way a desktop session stops it
// (SIGTERM), with its output kept for the failure message.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace voltander::test {

class ProgramProcess {
 public:
  // Starts binary with QT_QPA_PLATFORM=offscreen and XDG_CONFIG_HOME=configHome,
  // plus env. Throws std::runtime_error when it cannot be started.
  ProgramProcess(const std::string& binary, const std::string& configHome,
                 const std::vector<std::pair<std::string, std::string>>& env = {});
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  pid_t pid() const { return pid_; }
  // Still running (not ended, not yet reaped).
  bool running();
  // SIGTERM, then up to timeoutMs for a clean end. The exit code of a normal end;
  // nothing when the program crashed, or had to be killed after the timeout.
  std::optional<int> terminate(int timeoutMs = 10000);
  // What the program wrote to stdout and stderr so far.
  std::string output() const;

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
  std::string outputPath_;
};

// Writes configHome/Voltander/Voltander.conf, the program's settings file.
void WriteSettingsFile(const std::string& configHome, const std::string& text);
// The raw text after "key=" in [section] of that file, quotes and all; nothing when
// the file, the section or the key is missing.
std::optional<std::string> SettingsValue(const std::string& configHome, const std::string& section,
                                         const std::string& key);

}  // namespace voltander::test

#include "support/ProgramProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/Process.h"

namespace voltander::test {

namespace {

std::string SettingsPath(const std::string& configHome) {
  return configHome + "/Voltander/Voltander.conf";
}

}  // namespace

ProgramProcess::ProgramProcess(const std::string& binary, const std::string& configHome,
                               const std::vector<std::pair<std::string, std::string>>& env) {
  outputPath_ = configHome + "/program-output.txt";
  const int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) throw std::runtime_error("cannot write " + outputPath_);
  EnvOverrides all{{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_CONFIG_HOME", configHome}};
  all.insert(all.end(), env.begin(), env.end());
  try {
    pid_ = SpawnProcess({binary}, all, out, out);
  } catch (...) {
    close(out);
    throw;
  }
  close(out);
}

ProgramProcess::~ProgramProcess() {
  if (running()) TerminateProcess(pid_, 2000);
}

bool ProgramProcess::running() {
  if (pid_ <= 0 || status_) return false;
  status_ = WaitForExit(pid_, 0);
  return !status_;
}

std::optional<int> ProgramProcess::terminate(int timeoutMs) {
  if (running()) {
    kill(pid_, SIGTERM);
    status_ = WaitForExit(pid_, timeoutMs);
    if (!status_) {
      TerminateProcess(pid_, 0);
      status_ = -1;
      return std::nullopt;
    }
  }
  if (!status_ || !WIFEXITED(*status_)) return std::nullopt;
  return WEXITSTATUS(*status_);
}

std::string ProgramProcess::output() const { return ReadWholeFile(outputPath_); }

void WriteSettingsFile(const std::string& configHome, const std::string& text) {
  const std::string path = SettingsPath(configHome);
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::optional<std::string> SettingsValue(const std::string& configHome, const std::string& section,
                                         const std::string& key) {
  std::istringstream lines(ReadWholeFile(SettingsPath(configHome)));
  std::string line;
  bool inSection = false;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inSection = line == "[" + section + "]";
    } else if (inSection && line.rfind(key + "=", 0) == 0) {
      return line.substr(key.size() + 1);
    }
  }
  return std::nullopt;
}

}  // namespace voltander::test

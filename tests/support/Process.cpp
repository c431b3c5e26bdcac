#include "support/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace voltander::test {

pid_t SpawnProcess(const std::vector<std::string>& argv, const EnvOverrides& env, int stdoutFd,
                   int stderrFd) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const auto eq = entry.find('=');
    if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [name, value] : env) merged[name] = value;
  std::vector<std::string> envText;
  for (const auto& [name, value] : merged) envText.push_back(name + "=" + value);

  // Built before the fork: after it only async-signal-safe calls are allowed.
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  for (const auto& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
  args.push_back(nullptr);
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    if (stdoutFd >= 0) dup2(stdoutFd, STDOUT_FILENO);
    if (stderrFd >= 0) dup2(stderrFd, STDERR_FILENO);
    execve(args[0], args.data(), envp.data());
    _exit(127);
  }
  return pid;
}

std::optional<int> WaitForExit(pid_t pid, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return status;
    if ((r < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) return {};
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

int TerminateProcess(pid_t pid, int graceMs) {
  kill(pid, SIGTERM);
  if (const auto status = WaitForExit(pid, graceMs)) return *status;
  kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

std::optional<double> CpuSeconds(pid_t pid) {
  const std::string stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
  // utime and stime are fields 14 and 15; the name in field 2 may hold blanks.
  const auto close = stat.rfind(')');
  unsigned long long utime = 0, stime = 0;
  if (close == std::string::npos ||
      std::sscanf(stat.c_str() + close + 1, "%*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %*s %llu %llu",
                  &utime, &stime) != 2) {
    return std::nullopt;
  }
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

ProgramProcess::ProgramProcess(const std::string& binary, const std::string& configHome)
    : outputPath_(configHome + "/program-output.txt") {
  const int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) throw std::runtime_error("cannot write " + outputPath_);
  try {
    pid_ = SpawnProcess(
        {binary}, {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_CONFIG_HOME", configHome}}, out, out);
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
  if (!status_) status_ = WaitForExit(pid_, 0);
  return !status_;
}

std::optional<int> ProgramProcess::terminate(int timeoutMs, int signal) {
  if (running()) {
    kill(pid_, signal);
    status_ = WaitForExit(pid_, timeoutMs);
    if (!status_) status_ = TerminateProcess(pid_, 0);
  }
  if (!WIFEXITED(*status_)) return std::nullopt;
  return WEXITSTATUS(*status_);
}

void WriteSettingsFile(const std::string& configHome, const std::string& text) {
  std::filesystem::create_directories(configHome + "/Voltander");
  std::ofstream(configHome + "/Voltander/Voltander.conf", std::ios::binary) << text;
}

std::optional<std::string> SettingsValue(const std::string& configHome, const std::string& section,
                                         const std::string& key) {
  std::istringstream lines(ReadWholeFile(configHome + "/Voltander/Voltander.conf"));
  bool inSection = false;
  for (std::string line; std::getline(lines, line);) {
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

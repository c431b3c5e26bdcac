#include "support/SimProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace voltander::test {
namespace {

// stdoutFd and stderrFd (-1: the test's own) become the child's; env(1) sets the
// overrides over the inherited environment. -1 when it cannot start.
pid_t SpawnProcess(std::vector<std::string> argv, const EnvOverrides& env, int stdoutFd,
                   int stderrFd) {
  for (auto o = env.rbegin(); o != env.rend(); ++o)
    argv.insert(argv.begin(), o->first + "=" + o->second);
  argv.insert(argv.begin(), "/usr/bin/env");
  // Built before the fork: after it only async-signal-safe calls are allowed.
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    if (stdoutFd >= 0) dup2(stdoutFd, STDOUT_FILENO);
    if (stderrFd >= 0) dup2(stderrFd, STDERR_FILENO);
    execv(args[0], args.data());
    _exit(127);
  }
  return pid;
}

// The wait status, or nothing when the child was not collected within timeoutMs. A
// process's own descriptor turns readable when it ends; without one (an older kernel, a
// filter refusing the call) poll skips it and waitpid is asked again every 10 ms.
std::optional<int> WaitForExit(pid_t pid, int timeoutMs) {
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
  pollfd p{static_cast<int>(syscall(SYS_pidfd_open, pid, 0)), POLLIN, 0};
  int status = 0;
  bool collected = false;
  for (long ms = timeoutMs; !(collected = waitpid(pid, &status, WNOHANG) == pid) && ms > 0;
       ms = duration_cast<milliseconds>(deadline - steady_clock::now()).count())
    poll(&p, 1, int(p.fd >= 0 ? ms : std::min(ms, 10L)));
  if (p.fd >= 0) close(p.fd);
  return collected ? std::optional(status) : std::nullopt;
}

// The wait status; a child that even SIGKILL leaves uncollected fails the test.
std::optional<int> TerminateProcess(pid_t pid, int graceMs, int signal = SIGTERM) {
  kill(pid, signal);
  if (const auto status = WaitForExit(pid, graceMs)) return status;
  kill(pid, SIGKILL);
  const auto status = WaitForExit(pid, 60000);
  if (!status) ADD_FAILURE() << "process " << pid << " not collected";
  return status;
}

// The log's complete lines: one still being written is left for the next reading.
std::vector<std::string> CompleteLines(const std::string& path) {
  const std::string log = ReadWholeFile(path);
  std::istringstream text(log.substr(0, log.rfind('\n') + 1));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

bool WaitForFolder(const std::string& folder, const std::function<bool()>& done, int timeoutMs) {
  const int fd = inotify_init1(IN_CLOEXEC);
  if (fd < 0 || inotify_add_watch(fd, folder.c_str(), IN_MODIFY | IN_CREATE | IN_MOVED_TO) < 0)
    throw std::runtime_error("cannot watch " + folder + ": " + std::strerror(errno));
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + milliseconds(timeoutMs);
  bool held = done();  // after the watch began, so no change falls between
  for (auto left = milliseconds(timeoutMs); !held && left.count() > 0;
       left = duration_cast<milliseconds>(deadline - steady_clock::now())) {
    pollfd p{fd, POLLIN, 0};
    char events[4096];
    if (poll(&p, 1, int(left.count())) > 0 && read(fd, events, sizeof events) < 0) break;
    held = done();
  }
  close(fd);
  return held;
}

ProgramProcess::ProgramProcess(const std::string& binary, const std::string& configHome,
                               EnvOverrides env, std::vector<std::string> args)
    : outputPath_(configHome + "/program-output.txt") {
  const int out = open(outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (out < 0) throw std::runtime_error("cannot write " + outputPath_);
  env.insert(env.begin(), {{"QT_QPA_PLATFORM", "offscreen"},
                           {"XDG_CONFIG_HOME", configHome},
                           {"XDG_DATA_HOME", configHome}});
  args.insert(args.begin(), binary);
  pid_ = SpawnProcess(args, env, out, out);
  close(out);
  if (pid_ < 0) throw std::runtime_error("cannot start " + binary);
}

std::optional<int> ProgramProcess::terminate(int timeoutMs, int signal) {
  if (pid_ > 0) status_ = TerminateProcess(std::exchange(pid_, -1), timeoutMs, signal);
  return status_ && WIFEXITED(*status_) ? std::optional(WEXITSTATUS(*status_)) : std::nullopt;
}

SimProcess::SimProcess(std::vector<std::string> args, const EnvOverrides& env) {
  args.insert(args.begin(), VOLTANDER_SIM_BINARY);
  args.insert(args.end(), {"--log", log_});
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  pid_ = SpawnProcess(args, env, out[1], -1);
  close(out[1]);
  // The device path is the simulator's only line of output.
  for (char c = 0; device_.size() < 4096;) {
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, 10000) <= 0 || read(out[0], &c, 1) != 1 || c == '\n') break;
    device_ += c;
  }
  close(out[0]);
  if (device_.empty() || device_[0] != '/') {
    stop();
    throw std::runtime_error("the simulator printed no device path");
  }
}

std::vector<LoggedFrame> SimProcess::frames() const {
  std::vector<LoggedFrame> frames;
  for (const std::string& line : CompleteLines(log_)) {
    std::istringstream in(line);
    LoggedFrame f;
    int count = 0;
    in >> f.usec;  // fails on the notes, which start with '#'
    for (int value = 0; count < 10 && in >> value; ++count) f.bytes[count] = std::uint8_t(value);
    if (count == 10 && (in >> std::ws).eof()) frames.push_back(f);
  }
  return frames;
}

std::vector<LoggedFrame> SimProcess::waitForFrames(
    const std::function<bool(const std::vector<LoggedFrame>&)>& done, int timeoutMs) const {
  std::vector<LoggedFrame> f;
  WaitForFolder(
      dir_.path(), [&] { return done(f = frames()); }, timeoutMs);
  return f;
}

std::vector<std::int64_t> SimProcess::noteTimesUs(const std::string& what) const {
  std::vector<std::int64_t> times;
  for (const std::string& line : CompleteLines(log_)) {
    std::istringstream in(line);
    std::string hash, kind;
    std::int64_t usec = 0;
    if (in >> hash >> usec >> kind && hash == "#" && kind == what) times.push_back(usec);
  }
  return times;
}

std::optional<int> SimProcess::waitExit(int timeoutMs) {
  const auto status = pid_ > 0 ? WaitForExit(pid_, timeoutMs) : std::nullopt;
  if (status) pid_ = -1;
  return status;
}

void SimProcess::stop() {
  if (pid_ > 0) TerminateProcess(pid_, 5000);
  pid_ = -1;
}

std::string Letters(const std::vector<LoggedFrame>& frames) {
  std::string s;
  for (const auto& f : frames) s += static_cast<char>(f.bytes[1]);
  return s;
}

}  // namespace voltander::test

#include "support/SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "support/Process.h"

namespace voltander::test {

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopGraceMs = 5000;

// The first line the child prints, or empty if none comes in time.
std::string ReadFirstLine(int fd, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string line;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    if (left <= 0) return {};
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char c = 0;
    if (read(fd, &c, 1) != 1) return {};
    if (c == '\n') return line;
    line += c;
  }
}

}  // namespace

SimProcess::SimProcess(std::vector<std::string> args) : SimProcess(std::move(args), {}) {}

SimProcess::SimProcess(std::vector<std::string> args,
                       const std::vector<std::pair<std::string, std::string>>& env) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/voltander-sim-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make " + pattern);
  dir_ = pattern;
  log_ = dir_ + "/frames.log";

  std::vector<std::string> argv{VOLTANDER_SIM_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  argv.push_back("--log");
  argv.push_back(log_);

  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  try {
    pid_ = SpawnProcess(argv, env, out[1]);
  } catch (...) {
    close(out[0]);
    close(out[1]);
    throw;
  }
  close(out[1]);
  device_ = ReadFirstLine(out[0], kStartTimeoutMs);
  // The simulator prints nothing after its first line, so the pipe can go.
  close(out[0]);
  if (device_.empty()) {
    stop();
    std::filesystem::remove_all(dir_);
    throw std::runtime_error("the simulator printed no device path");
  }
}

SimProcess::~SimProcess() {
  stop();
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::vector<LoggedFrame> SimProcess::frames() const { return ParseFrameLog(ReadWholeFile(log_)); }

std::vector<LoggedFrame> SimProcess::waitForFrames(
    const std::function<bool(const std::vector<LoggedFrame>&)>& done, int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    std::vector<LoggedFrame> f = frames();
    if (done(f) || std::chrono::steady_clock::now() >= deadline) return f;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::optional<int> SimProcess::waitExit(int timeoutMs) {
  if (pid_ <= 0) return std::nullopt;
  const auto status = WaitForExit(pid_, timeoutMs);
  if (status) pid_ = -1;
  return status;
}

void SimProcess::stop() {
  if (pid_ <= 0) return;
  TerminateProcess(pid_, kStopGraceMs);
  pid_ = -1;
}

std::string Letters(const std::vector<LoggedFrame>& frames) {
  std::string s;
  for (const auto& f : frames) s += static_cast<char>(f.bytes[1]);
  return s;
}

std::vector<LoggedFrame> ParseFrameLog(const std::string& text) {
  std::vector<LoggedFrame> frames;
  // A line still being written when the log was read is left for the next reading.
  std::istringstream lines(text.substr(0, text.rfind('\n') + 1));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    LoggedFrame f;
    int count = 0;
    in >> f.usec;
    for (int value = 0; count < 10 && in >> value; ++count) {
      f.bytes[static_cast<std::size_t>(count)] = static_cast<std::uint8_t>(value);
    }
    std::string extra;
    if (count == 10 && !(in >> extra)) frames.push_back(f);
  }
  return frames;
}

}  // namespace voltander::test

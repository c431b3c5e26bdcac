#include "support/SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace voltander::test {

namespace {

// The log's complete lines: one still being written is left for the next reading.
std::istringstream CompleteLines(const std::string& log) {
  return std::istringstream(log.substr(0, log.rfind('\n') + 1));
}

}  // namespace

SimProcess::SimProcess(std::vector<std::string> args, const EnvOverrides& env) {
  args.insert(args.begin(), VOLTANDER_SIM_BINARY);
  args.insert(args.end(), {"--log", log_});
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  try {
    pid_ = SpawnProcess(args, env, out[1]);
  } catch (...) {
    close(out[0]);
    close(out[1]);
    throw;
  }
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
  std::istringstream lines = CompleteLines(ReadWholeFile(log_));
  for (std::string line; std::getline(lines, line);) {
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

std::vector<LoggedFrame> SimProcess::waitForFrames(
    const std::function<bool(const std::vector<LoggedFrame>&)>& done, int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    std::vector<LoggedFrame> f = frames();
    if (done(f) || std::chrono::steady_clock::now() >= deadline) return f;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::vector<std::int64_t> SimProcess::noteTimesUs(const std::string& what) const {
  std::vector<std::int64_t> times;
  std::istringstream lines = CompleteLines(ReadWholeFile(log_));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("# ", 0) != 0) continue;
    std::istringstream in(line.substr(2));
    std::int64_t usec = 0;
    std::string kind;
    if (in >> usec >> kind && kind == what) times.push_back(usec);
  }
  return times;
}

std::optional<int> SimProcess::waitExit(int timeoutMs) {
  if (pid_ <= 0) return std::nullopt;
  const auto status = WaitForExit(pid_, timeoutMs);
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

// voltander-sim: the charger's controller on a pseudo-terminal, for trying the
// program and for its end-to-end tests without the hardware.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "FrameLog.h"
#include "PortLink.h"
#include "Pty.h"
#include "SimOptions.h"
#include "Simulator.h"

namespace {

using namespace voltander::sim;

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char c = 1;
  [[maybe_unused]] const ssize_t n = write(g_signalPipe[1], &c, 1);
  errno = saved;
}

bool InstallSignals() {
  if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (const int s : {SIGTERM, SIGINT, SIGHUP}) {
    if (sigaction(s, &sa, nullptr) != 0) return false;
  }
  signal(SIGPIPE, SIG_IGN);
  return true;
}

std::int64_t EpochMicros() {
  using namespace std::chrono;
  return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

class RunClock {
 public:
  std::int64_t ms() const {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// A full pty buffer means nobody has read for a long while; the rest is dropped
// rather than stalling the controller, as a real line would lose it too.
void WriteAll(int fd, const std::vector<std::uint8_t>& bytes, FrameLog& log) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      log.write(NoteLine(EpochMicros(), "lost on write", std::span(bytes).subspan(done)));
      return;
    }
  }
}

int Run(const SimOptions& options) {
  std::string error;
  auto pty = Pty::Open(error);
  if (!pty) {
    std::cerr << "voltander-sim: " << error << '\n';
    return 1;
  }
  FrameLog log(options.logPath);
  if (!log.ok()) {
    std::cerr << "voltander-sim: cannot write " << options.logPath << ": " << std::strerror(errno)
              << '\n';
    return 1;
  }
  std::optional<PortLink> link =
      options.port > 0 ? PortLink::Register(options.port, pty->devicePath(), error) : std::nullopt;
  if (options.port > 0 && !link) {
    std::cerr << "voltander-sim: cannot register port " << options.port << ": " << error << '\n';
    return 1;
  }
  std::cout << pty->devicePath() << std::endl;

  Simulator sim(options);
  RunClock clock;
  std::vector<std::uint8_t> buffer(512);
  for (;;) {
    while (sim.hasDue(clock.ms())) {
      const Piece piece = sim.takeDue();
      if (piece.noise) log.write(NoteLine(EpochMicros(), "noise", piece.bytes));
      WriteAll(pty->controllerFd(), piece.bytes, log);
    }
    if (sim.finished()) {
      // A hang-up discards what the program has not read yet, so the last reply is
      // given a moment to be taken first, as it would be off a real line. The count
      // of unread bytes lags a fresh write a little, hence the first pause.
      usleep(50000);
      for (int i = 0; i < 100 && pty->unreadOnDevice() > 0; ++i) usleep(10000);
      pty->close();
      return 0;
    }
    int timeout = -1;
    if (const auto due = sim.nextDueMs()) {
      timeout = static_cast<int>(std::clamp<std::int64_t>(*due - clock.ms(), 0, 60000));
    }
    pollfd fds[2] = {{pty->controllerFd(), POLLIN, 0}, {g_signalPipe[0], POLLIN, 0}};
    if (poll(fds, 2, timeout) < 0) {
      if (errno == EINTR) continue;
      std::cerr << "voltander-sim: poll: " << std::strerror(errno) << '\n';
      return 1;
    }
    if (fds[1].revents) return 0;
    if (!(fds[0].revents & POLLIN)) {
      // Only a hang-up without data could end up here; the device side is held
      // open, so it should not last, but it must not spin either.
      if (fds[0].revents & (POLLHUP | POLLERR)) usleep(10000);
      continue;
    }
    const ssize_t n = read(pty->controllerFd(), buffer.data(), buffer.size());
    if (n <= 0) {
      // EIO would mean the device side is closed everywhere; it is held open, so
      // this is not expected, but a failing read must not turn into a busy loop.
      if (n < 0 && errno != EAGAIN && errno != EINTR) usleep(10000);
      continue;
    }

    const std::int64_t usec = EpochMicros();
    const Received r =
        sim.receive(std::span(buffer.data(), static_cast<std::size_t>(n)), clock.ms());
    if (!r.dropped.empty()) log.write(NoteLine(usec, "dropped", r.dropped));
    for (const auto& frame : r.frames) log.write(FrameLine(usec, frame));
    for (const auto& reply : r.replies) log.write(NoteLine(usec, "reply", reply));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = ParseSimOptions(args);
  if (parsed.help) {
    std::cout << SimUsage("voltander-sim");
    return 0;
  }
  if (!parsed.options) {
    std::cerr << "voltander-sim: " << parsed.error << "\nTry 'voltander-sim --help'.\n";
    return 2;
  }
  if (!InstallSignals()) {
    std::cerr << "voltander-sim: cannot install signal handlers\n";
    return 1;
  }
  return Run(*parsed.options);
}

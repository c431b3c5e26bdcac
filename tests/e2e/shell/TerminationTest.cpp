#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/ProgramProcess.h"
#include "support/TempDir.h"

namespace voltander {
namespace {

using test::ProgramProcess;
using test::SettingsValue;
using test::TempDir;
using test::WriteSettingsFile;

// The program has its termination handlers in place: from then on a signal is a
// request to exit, not the end of the process.
bool WaitForSignalHandlers(pid_t pid, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("SigCgt:", 0) != 0) continue;
      const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
      const auto caught = [mask](int s) { return (mask >> (s - 1)) & 1ULL; };
      if (caught(SIGTERM) && caught(SIGINT) && caught(SIGHUP)) return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// Sends sig and waits for the end; the exit code of a normal end.
std::optional<int> EndWith(ProgramProcess& program, int sig) {
  kill(program.pid(), sig);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (program.running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (program.running()) return std::nullopt;
  return program.terminate();
}

// A pseudo-terminal master whose slave the program uses as Comm 5.
struct LinkedPty {
  explicit LinkedPty(const std::string& configHome) {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    grantpt(master);
    unlockpt(master);
    const std::string folder = configHome + "/Voltander/ports";
    std::filesystem::create_directories(folder);
    std::filesystem::create_symlink(ptsname(master), folder + "/COM5");
  }
  ~LinkedPty() { close(master); }
  // No program holds the slave side any more.
  bool slaveClosed() const {
    pollfd p{master, POLLIN, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
  }
  int master = -1;
};

TEST(TerminationTest, SignalsEndTheProgramLikeTheExitCommand) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    TempDir config("voltander-term");
    LinkedPty pty(config.path());
    WriteSettingsFile(config.path(), "[Setup]\nPortok=4\nBAssis=0\nExpert=1\n");
    ProgramProcess program(VOLTANDER_BINARY, config.path());
    ASSERT_TRUE(WaitForSignalHandlers(program.pid(), 10000)) << program.output();

    EXPECT_EQ(EndWith(program, sig), 0) << program.output();
    EXPECT_EQ(SettingsValue(config.path(), "Setup", "Portok"), "\" 4\"");
    EXPECT_EQ(SettingsValue(config.path(), "Setup", "BAssis"), "0");
    EXPECT_EQ(SettingsValue(config.path(), "Setup", "Expert"), "1");
    EXPECT_TRUE(pty.slaveClosed());
  }
}

// A box left open by the start-up (here: the stored port does not exist) must not
// keep the program alive after a termination request.
TEST(TerminationTest, OpenMessageBoxDoesNotHoldUpTheEnd) {
  TempDir config("voltander-term");
  WriteSettingsFile(config.path(), "[Setup]\nPortok=150\n");
  ProgramProcess program(VOLTANDER_BINARY, config.path());
  ASSERT_TRUE(WaitForSignalHandlers(program.pid(), 10000)) << program.output();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  EXPECT_EQ(EndWith(program, SIGTERM), 0) << program.output();
  EXPECT_EQ(SettingsValue(config.path(), "Setup", "Portok"), "-1");
  EXPECT_EQ(SettingsValue(config.path(), "Setup", "BAssis"), "1");
}

}  // namespace
}  // namespace voltander

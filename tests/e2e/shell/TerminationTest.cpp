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

#include "support/Process.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

// Once the handlers are in place a signal is a request to exit, not the end.
bool WaitForSignalHandlers(pid_t pid) {
  for (int tries = 0; tries < 500; ++tries) {
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

std::string Setting(const TempDir& config, const std::string& key) {
  return SettingsValue(config.path(), "Setup", key).value_or("<absent>");
}

TEST(TerminationTest, SignalsEndTheProgramLikeTheExitCommand) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    TempDir config("voltander-term");
    // A pseudo-terminal as Comm 5: its master sees a hang-up once the port is closed.
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    std::filesystem::create_directories(config.path() + "/Voltander/ports");
    std::filesystem::create_symlink(ptsname(master), config.path() + "/Voltander/ports/COM5");
    WriteSettingsFile(config.path(), "[Setup]\nPortok=4\nBAssis=0\nExpert=1\n");
    ProgramProcess program(VOLTANDER_BINARY, config.path());
    ASSERT_TRUE(WaitForSignalHandlers(program.pid())) << program.output();

    EXPECT_EQ(program.terminate(10000, sig), 0) << program.output();
    EXPECT_EQ(Setting(config, "Portok"), "\" 4\"");
    EXPECT_EQ(Setting(config, "BAssis"), "0");
    EXPECT_EQ(Setting(config, "Expert"), "1");
    pollfd p{master, POLLIN, 0};
    EXPECT_TRUE(poll(&p, 1, 0) == 1 && (p.revents & POLLHUP)) << "the port was left open";
    close(master);
  }
}

// A box left open by the start-up (the stored port does not exist) must not keep
// the program alive after a termination request.
TEST(TerminationTest, OpenMessageBoxDoesNotHoldUpTheEnd) {
  TempDir config("voltander-term");
  WriteSettingsFile(config.path(), "[Setup]\nPortok=150\n");
  ProgramProcess program(VOLTANDER_BINARY, config.path());
  ASSERT_TRUE(WaitForSignalHandlers(program.pid())) << program.output();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(program.terminate(), 0) << program.output();
  EXPECT_EQ(Setting(config, "Portok"), "-1");
  EXPECT_EQ(Setting(config, "BAssis"), "1");
}

}  // namespace
}  // namespace voltander::test

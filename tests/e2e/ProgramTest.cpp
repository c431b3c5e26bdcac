// The real program as a desktop runs it: only the real process has its main, its
// signal handlers and its settings file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

void WriteSettings(const TempDir& config, const std::string& setup) {
  std::filesystem::create_directories(config.file("Voltander"));
  std::ofstream(config.file("Voltander/Voltander.conf")) << "[Setup]\n" << setup;
}

std::string Settings(const TempDir& config) {
  return ReadWholeFile(config.file("Voltander/Voltander.conf"));
}

TEST(ProgramEndToEnd, SteadyControllerGetsOneHandshakeAndAPollEveryTwoSeconds) {
  TempDir config("voltander-e2e");
  WriteSettings(config, "Portok=\" 0\"\n");
  SimProcess sim({"--port", "1"}, {{"XDG_CONFIG_HOME", config.path()}});
  ProgramProcess program(VOLTANDER_BINARY, config.path());
  sim.waitForFrames([](const auto& f) { return Letters(f).ends_with("RRRR"); }, 20000);
  EXPECT_EQ(program.terminate(), 0) << program.output();

  const auto frames = sim.frames();
  EXPECT_TRUE(std::regex_match(Letters(frames), std::regex("RVOR{4,}"))) << Letters(frames);
  for (std::size_t i = 4; i < frames.size(); ++i)
    EXPECT_NEAR(frames[i].usec - frames[i - 1].usec, 2050000, 550000) << "poll " << i;
}

// Once the handlers are in place a signal is a request to exit, not the end.
bool WaitForSignalHandlers(pid_t pid) {
  const auto wanted = (1ULL << (SIGTERM - 1)) | (1ULL << (SIGINT - 1)) | (1ULL << (SIGHUP - 1));
  for (int tries = 0; tries < 500; ++tries) {
    const std::string status = ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
    const auto at = status.find("SigCgt:");
    if (at != std::string::npos &&
        (std::stoull(status.substr(at + 7), nullptr, 16) & wanted) == wanted)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST(TerminationTest, SignalsEndTheProgramLikeTheExitCommand) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(strsignal(sig));
    TempDir config("voltander-term");
    // A pseudo-terminal as Comm 5: its master sees a hang-up once the port is closed.
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_TRUE(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
    std::filesystem::create_directories(config.file("Voltander/ports"));
    std::filesystem::create_symlink(ptsname(master), config.file("Voltander/ports/COM5"));
    WriteSettings(config, "Portok=4\n");
    ProgramProcess program(VOLTANDER_BINARY, config.path());
    ASSERT_TRUE(WaitForSignalHandlers(program.pid())) << program.output();

    EXPECT_EQ(program.terminate(10000, sig), 0) << program.output();
    // Rewritten in the program's own form, so the exit path ran.
    EXPECT_NE(Settings(config).find("\nPortok=\" 4\"\n"), std::string::npos) << Settings(config);
    pollfd p{master, POLLIN, 0};
    EXPECT_TRUE(poll(&p, 1, 0) == 1 && (p.revents & POLLHUP)) << "the port was left open";
    close(master);
  }
}

// A box left open by the start-up (the stored port does not exist) must not keep
// the program alive after a termination request.
TEST(TerminationTest, OpenMessageBoxDoesNotHoldUpTheEnd) {
  TempDir config("voltander-term");
  WriteSettings(config, "Portok=150\n");
  ProgramProcess program(VOLTANDER_BINARY, config.path());
  ASSERT_TRUE(WaitForSignalHandlers(program.pid())) << program.output();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(program.terminate(), 0) << program.output();
  EXPECT_NE(Settings(config).find("\nPortok=-1\n"), std::string::npos) << Settings(config);
}

// The adapter drops off the bus and comes back on the same link (Comm 150: no numbered
// device stands behind it once the link is gone); with the switch on, no click needed.
TEST(ProgramEndToEnd, AutomaticReconnectionBringsTheLinkBackWithoutABox) {
  TempDir config("voltander-e2e");
  WriteSettings(config, "Portok=149\nUjracsatlakozas=1\n");
  const EnvOverrides env{{"XDG_CONFIG_HOME", config.path()}};
  SimProcess first({"--port", "150", "--exit-after", "3"}, env);
  ProgramProcess program(VOLTANDER_BINARY, config.path(),
                         {{"QT_LOGGING_RULES", "voltander.*.debug=true"}});
  ASSERT_TRUE(first.waitExit(20000)) << program.output();
  // The tick's own re-open and at least one try of the timer have failed.
  const auto failedTwice = [&, failed = std::string("open Comm 150: invalid port")] {
    const std::string log = program.output();
    return log.find(failed) != log.rfind(failed);
  };
  for (int i = 0; i < 400 && !failedTwice(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(failedTwice()) << program.output();

  SimProcess again({"--port", "150"}, env);
  const auto frames =
      again.waitForFrames([](const auto& f) { return Letters(f).starts_with("RVO"); }, 10000);
  EXPECT_TRUE(Letters(frames).starts_with("RVO")) << Letters(frames) << program.output();
  EXPECT_EQ(program.terminate(), 0);
  EXPECT_EQ(program.output().find("message box"), std::string::npos) << program.output();
  EXPECT_NE(Settings(config).find("\nPortok=\" 149\"\n"), std::string::npos) << Settings(config);
  EXPECT_NE(Settings(config).find("\nUjracsatlakozas=1\n"), std::string::npos) << Settings(config);
}

}  // namespace
}  // namespace voltander::test

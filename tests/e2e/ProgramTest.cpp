// The real program as a desktop runs it: only the real process has its main, its
// signal handlers and its settings file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>

#include "support/Broker.h"
#include "support/SimProcess.h"
#include "support/StandInBroker.h"
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

const EnvOverrides kLinkLogOn = {{"QT_LOGGING_RULES", "voltander.link.debug=true"}};

// With the link log on, every frame on the line is also a line of the log.
TEST(ProgramEndToEnd, SteadyControllerGetsOneHandshakeAndAPollEveryTwoSeconds) {
  TempDir config("voltander-e2e");
  WriteSettings(config, "Portok=\" 0\"\n");
  SimProcess sim({"--port", "1"}, {{"XDG_CONFIG_HOME", config.path()}});
  ProgramProcess program(VOLTANDER_BINARY, config.path(), kLinkLogOn);
  sim.waitForFrames([](const auto& f) { return Letters(f).ends_with("RRRRR"); }, 20000);
  EXPECT_EQ(program.terminate(), 0) << program.output();

  const auto frames = sim.frames();
  ASSERT_TRUE(std::regex_match(Letters(frames), std::regex("RVOR{5,}"))) << Letters(frames);
  std::vector<std::int64_t> gaps;
  for (std::size_t i = 4; i < frames.size(); ++i)
    gaps.push_back(frames[i].usec - frames[i - 1].usec);
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  EXPECT_NEAR(gaps[gaps.size() / 2], 2000000, 250000) << "median poll interval";
  const std::string log = program.output();
  for (const char* line : {"open Comm 1: opened, code 0", "sent     V  53 56 30",
                           "received E  53 45", " ms sent     R  53 52 30 30 30 30 30 30 30 54"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
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
    // Its first frame on the port comes after the start-up, handlers and all.
    pollfd first{master, POLLIN, 0};
    ASSERT_EQ(poll(&first, 1, 10000), 1) << program.output();

    EXPECT_EQ(program.terminate(10000, sig), 0) << program.output();
    // Rewritten in the program's own form, so the exit path ran.
    EXPECT_NE(Settings(config).find("\nPortok=\" 4\"\n"), std::string::npos) << Settings(config);
    pollfd p{master, POLLIN, 0};
    EXPECT_TRUE(poll(&p, 1, 0) == 1 && (p.revents & POLLHUP)) << "the port was left open";
    close(master);
  }
}

// A box left open by the start-up (the stored port does not exist) must not keep
// the program alive after a termination request. Under any locale Qt's own buttons
// speak Hungarian and the link log writes its lines.
TEST(TerminationTest, OpenMessageBoxDoesNotHoldUpTheEndUnderLangC) {
  if (!std::filesystem::exists("/usr/share/qt6/translations/qtbase_hu.qm"))
    GTEST_SKIP() << "qt6-translations-l10n is not installed";
  TempDir config("voltander-term");
  WriteSettings(config, "Portok=150\n");
  EnvOverrides env = kLinkLogOn;
  env.insert(env.end(), {{"LANG", "C"}, {"LC_ALL", ""}, {"LANGUAGE", ""}});
  ProgramProcess program(VOLTANDER_BINARY, config.path(), env);
  // The box follows the failed opening in the same turn of the event loop.
  ASSERT_TRUE(WaitForFolder(
      config.path(),
      [&] { return program.output().find("open Comm 151: invalid port") != std::string::npos; },
      10000))
      << program.output();
  EXPECT_NE(program.output().find("started, Qt's buttons: &Igen &Nem"), std::string::npos)
      << program.output();
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
  ASSERT_TRUE(WaitForFolder(config.path(), failedTwice, 20000)) << program.output();

  // A try every 5 s and a full period before the poll: the deadline only guards a hang.
  SimProcess again({"--port", "150"}, env);
  const auto frames =
      again.waitForFrames([](const auto& f) { return Letters(f).starts_with("RVO"); }, 30000);
  EXPECT_TRUE(Letters(frames).starts_with("RVO")) << Letters(frames) << program.output();
  EXPECT_EQ(program.terminate(), 0);
  EXPECT_EQ(program.output().find("message box"), std::string::npos) << program.output();
  EXPECT_NE(Settings(config).find("\nPortok=\" 149\"\n"), std::string::npos) << Settings(config);
  EXPECT_NE(Settings(config).find("\nUjracsatlakozas=1\n"), std::string::npos) << Settings(config);
}

// The real program publishing to a real broker while it polls the simulator.
constexpr const char* kStatus = "t/pc/comm1/status";
constexpr const char* kAvailability = "t/pc/comm1/availability";

void WriteSettings(const TempDir& config, int port, const std::string& extra = "") {
  WriteSettings(config, "Portok=\" 0\"\n\n[Mqtt]\nEnabled=1\nHost=127.0.0.1\nPort=" +
                            std::to_string(port) + "\nPrefix=t/pc\n" + extra);
}

TEST(MqttEndToEnd, DutyArrivesRetainedWithDiscoveryRepublishedAfterABrokerRestartKillGivesOffline) {
  if (!HaveMosquitto()) GTEST_SKIP() << "mosquitto, mosquitto_sub or mosquitto_passwd missing";
  Broker broker;
  TempDir config("voltander-mqtt");
  WriteSettings(config, broker.port());
  SimProcess sim({"--port", "1", "--duty", "200", "--state", "2"},
                 {{"XDG_CONFIG_HOME", config.path()}});
  ProgramProcess program(VOLTANDER_BINARY, config.path());

  const std::string status = broker.waitRetained(kStatus, "\"duty\":200", 20000);
  EXPECT_TRUE(std::regex_search(
      status, std::regex(R"(^\{"time":"[0-9T:-]{19}[+-]\d\d:\d\d","state":2,"state_text":"Normál )"
                         R"(töltés","duty":200,"duty_percent":78\.4,"charging":true,"fault":false,)"
                         R"("calibration_loop":false,"ratio":4\}$)")))
      << status << program.output();
  EXPECT_EQ(broker.waitRetained("t/pc/comm1/parameters", "Umax", 10000).empty(), false);
  const auto retained = broker.retained("#");
  EXPECT_EQ(retained.at(kAvailability), "online");
  EXPECT_EQ(retained.at("t/pc/comm1/link"), "up");
  EXPECT_EQ(retained.at("t/pc/comm1/firmware").substr(0, 1), "V");
  std::size_t configs = 0;
  for (const auto& [topic, payload] : retained)
    configs += topic.starts_with("homeassistant/") && topic.find("/t_pc_comm1/") != std::string::npos;
  EXPECT_EQ(configs, 6u);

  broker.stop();
  broker.start();  // no persistence: the retained store starts empty
  EXPECT_NE(broker.waitRetained(kStatus, "\"duty\":200", 15000), "") << program.output();
  EXPECT_EQ(broker.retained("homeassistant/#").size(), 6u);
  EXPECT_EQ(broker.retained(kAvailability).at(kAvailability), "online");
  program.terminate(2000, SIGKILL);
  EXPECT_EQ(broker.waitRetained(kAvailability, "offline", 10000), "offline");
}

TEST(MqttEndToEnd, WrongPasswordIsRefusedAndLoggedWithoutItWhilePollingGoesOn) {
  if (!HaveMosquitto()) GTEST_SKIP() << "mosquitto, mosquitto_sub or mosquitto_passwd missing";
  Broker broker({"charger", "right-one", "", "", ""});
  TempDir config("voltander-mqtt");
  WriteSettings(config, broker.port(), "User=charger\nPassword=Wr0ngSecret\n");
  SimProcess sim({"--port", "1"}, {{"XDG_CONFIG_HOME", config.path()}});
  ProgramProcess program(VOLTANDER_BINARY, config.path());
  const auto frames =
      sim.waitForFrames([](const auto& f) { return Letters(f).ends_with("RRRR"); }, 20000);
  EXPECT_TRUE(std::regex_match(Letters(frames), std::regex("RVOR{4,}"))) << Letters(frames);
  EXPECT_EQ(program.terminate(), 0);

  const std::string log = program.output();
  EXPECT_NE(log.find("elutasította a kapcsolatot"), std::string::npos) << log;
  EXPECT_EQ(log.find("Wr0ngSecret"), std::string::npos) << log;
  // The right login sees its own marker, and nothing the program left.
  ASSERT_TRUE(broker.publish("marker", "m", "charger:right-one"));
  EXPECT_EQ(broker.retained("#", "charger:right-one"),
            (std::map<std::string, std::string>{{"marker", "m"}}));
}

// A damaged Tls fails closed: a listener on the port never hears of the login, and
// the value stays as written.
TEST(MqttEndToEnd, DamagedTlsValueSendsNothingAndIsKeptAsWritten) {
  StandInBroker listener(StandInBroker::Mode::Quiet);
  TempDir config("voltander-mqtt");
  WriteSettings(config, listener.port(), "Tls=true\nUser=charger\nPassword=S3cretPw\n");
  SimProcess sim({"--port", "1"}, {{"XDG_CONFIG_HOME", config.path()}});
  ProgramProcess program(VOLTANDER_BINARY, config.path());
  // Polling for a while: a connection, had there been one, came long before.
  sim.waitForFrames([](const auto& f) { return Letters(f).ends_with("RRR"); }, 20000);
  EXPECT_EQ(program.terminate(), 0);
  EXPECT_EQ(listener.taken(), "");
  EXPECT_NE(Settings(config).find("Tls=true"), std::string::npos);
  EXPECT_NE(program.output().find("Hibás érték (Tls=true)"), std::string::npos) << program.output();
}

TEST(MqttEndToEnd, TlsWithTheTestsOwnCertificateAuthority) {
  if (!HaveMosquitto()) GTEST_SKIP() << "mosquitto, mosquitto_sub or mosquitto_passwd missing";
  TempDir pki("voltander-pki");
  if (!MakeTestPki(pki, "IP:127.0.0.1")) GTEST_SKIP() << "openssl failed";
  Broker broker({"", "", pki.file("server.crt"), pki.file("server.key"), pki.file("ca.crt")});
  TempDir config("voltander-mqtt");
  WriteSettings(config, broker.port(), "Tls=1\nCaFile=" + pki.file("ca.crt") + "\n");
  SimProcess sim({"--port", "1", "--duty", "77"}, {{"XDG_CONFIG_HOME", config.path()}});
  ProgramProcess program(VOLTANDER_BINARY, config.path());
  EXPECT_NE(broker.waitRetained(kStatus, "\"duty\":77", 20000), "") << program.output();
  EXPECT_EQ(program.terminate(), 0);
  EXPECT_EQ(broker.retained(kAvailability).at(kAvailability), "offline");
  // The file holds the broker's password.
  EXPECT_EQ(std::filesystem::status(config.file("Voltander/Voltander.conf")).permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

}  // namespace
}  // namespace voltander::test

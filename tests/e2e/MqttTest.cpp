// The real program publishing to a real broker while it polls the simulator.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "support/Broker.h"
#include "support/SimProcess.h"
#include "support/StandInBroker.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

constexpr const char* kStatus = "t/pc/comm1/status";
constexpr const char* kAvailability = "t/pc/comm1/availability";

void WriteSettings(const TempDir& config, int port, const std::string& extra = "") {
  std::filesystem::create_directories(config.file("Voltander"));
  std::ofstream(config.file("Voltander/Voltander.conf"))
      << "[Setup]\nPortok=\" 0\"\n\n[Mqtt]\nEnabled=1\nHost=127.0.0.1\nPort=" << port
      << "\nPrefix=t/pc\n"
      << extra;
}

#define REQUIRE_MOSQUITTO() \
  if (!HaveMosquitto()) GTEST_SKIP() << "mosquitto, mosquitto_sub or mosquitto_passwd missing"

TEST(MqttEndToEnd, DutyArrivesRetainedWithDiscoveryRepublishedAfterABrokerRestartKillGivesOffline) {
  REQUIRE_MOSQUITTO();
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
  REQUIRE_MOSQUITTO();
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
  EXPECT_NE(ReadWholeFile(config.file("Voltander/Voltander.conf")).find("Tls=true"),
            std::string::npos);
  EXPECT_NE(program.output().find("Hibás érték (Tls=true)"), std::string::npos) << program.output();
}

TEST(MqttEndToEnd, TlsWithTheTestsOwnCertificateAuthority) {
  REQUIRE_MOSQUITTO();
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

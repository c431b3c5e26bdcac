#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "service/ServiceConfig.h"
#include "service/Unattended.h"

namespace voltander::service {
namespace {

const std::map<std::string, std::string> kGood = {
    {"Port/Device", "/dev/serial/by-id/usb-x"}, {"Mqtt/Enabled", "1"},
    {"Mqtt/Host", "broker"},                    {"Mqtt/Password", "secret"}};

struct Case {
  const char* what;
  std::map<std::string, std::string> changes;  // "" removes the key
  unsigned mode;
  std::vector<std::string> problems;
};

// clang-format off
const std::vector<Case> kCases = {
    {"accepted", {}, 0640, {}},
    {"a name of its own", {{"Port/Name", "boat-12_b"}}, 0600, {}},
    {"a name of 64", {{"Port/Name", std::string(64, 'a')}}, 0600, {}},
    {"no password, so any mode", {{"Mqtt/Password", ""}}, 0644, {}},
    {"unknown keys", {{"Port/Speed", "9600"}, {"Stray", "1"}}, 0640,
     {"Ismeretlen kulcs: [Port] Speed", "Ismeretlen kulcs: [General] Stray"}},
    {"no device", {{"Port/Device", ""}}, 0640,
     {"Hiányzó érték ([Port] Device): a töltő soros eszközének útja kell, például /dev/serial/by-id/..."}},
    {"a relative device and folder", {{"Port/Device", "ttyUSB0"}, {"History/Folder", "naplo"}}, 0640,
     {"Hibás érték ([Port] Device=ttyUSB0): abszolút út kell, / jellel az elején.",
      "Hibás érték ([History] Folder=naplo): abszolút út kell, / jellel az elején."}},
    {"a name with a blank", {{"Port/Name", "my boat"}}, 0640,
     {"Hibás érték ([Port] Name=my boat): 1-64 karakter lehet: betű, számjegy, _ vagy -."}},
    {"a name of 65", {{"Port/Name", std::string(65, 'a')}}, 0640,
     {"Hibás érték ([Port] Name=" + std::string(65, 'a') + "): 1-64 karakter lehet: betű, számjegy, _ vagy -."}},
    {"a cap that is no whole number", {{"History/CapMB", "200MB"}}, 0640,
     {"Hibás érték ([History] CapMB=200MB): egész szám megabájtban, 1 és 16777216 között."}},
    {"a cap of nothing", {{"History/CapMB", "0"}}, 0640,
     {"Hibás érték ([History] CapMB=0): egész szám megabájtban, 1 és 16777216 között."}},
    {"a cap past 16 TB", {{"History/CapMB", "16777217"}}, 0640,
     {"Hibás érték ([History] CapMB=16777217): egész szám megabájtban, 1 és 16777216 között."}},
    {"a repaired and a failing broker value", {{"Mqtt/Prefix", "a/#"}, {"Mqtt/Tls", "yes"}}, 0640,
     {"[Mqtt] Hibás érték (Prefix=a/#): nem lehet benne + vagy #.",
      "[Mqtt] Hibás érték (Tls=yes): 0 vagy 1 lehet."}},
    {"a password anyone can read", {}, 0644,
     {"Jelszó ([Mqtt] Password) egy bárki által olvasható fájlban (mód 0644): legfeljebb 0640 "
      "lehet, például: chmod 640 /etc/voltander/garage.conf"}},
    {"publishing without a host", {{"Mqtt/Host", ""}}, 0640,
     {"[Mqtt] Hiányzó érték (Host): nincs megadva a bróker címe."}},
};
// clang-format on

TEST(ServiceConfig, EachFileIsAcceptedOrRefusedWithOneLinePerProblem) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    ConfigFileTexts file{"/etc/voltander/garage.conf", true, true, true, c.mode, kGood};
    for (const auto& [key, value] : c.changes) {
      if (value.empty()) file.values.erase(key);
      else file.values[key] = value;
    }
    std::vector<std::string> problems;
    const ServiceConfig config =
        ParseServiceConfig(file, {"/var/lib/voltander/garage", "", "/home/u"}, "pi", problems);
    EXPECT_EQ(problems, c.problems);
    if (!problems.empty()) continue;
    EXPECT_EQ(config.name, c.changes.contains("Port/Name") ? c.changes.at("Port/Name") : "garage");
    EXPECT_EQ(config.historyFolder, "/var/lib/voltander/garage");
    EXPECT_EQ(config.capBytes, 200u * 1024 * 1024);
    EXPECT_EQ(config.mqtt.prefix, "voltander/pi");
  }
}

TEST(ServiceConfig, AMissingUnreadableOrMalformedFileIsRefusedByName) {
  std::vector<std::string> problems;
  ParseServiceConfig({"/etc/voltander/a.conf", false, false, true, 0, {}}, {}, "pi", problems);
  ParseServiceConfig({"/etc/voltander/b.conf", true, false, true, 0, {}}, {}, "pi", problems);
  ParseServiceConfig({"/etc/voltander/c.conf", true, true, false, 0640, kGood}, {}, "pi", problems);
  EXPECT_EQ(problems, (std::vector<std::string>{
                          "Nincs meg a beállításfájl: /etc/voltander/a.conf",
                          "A beállításfájl nem olvasható: /etc/voltander/b.conf",
                          "A beállításfájl formája hibás: /etc/voltander/c.conf"}));
}

TEST(ServiceConfig, FolderAndNameDefaultsComeFromTheEnvironmentAndTheFileName) {
  std::vector<std::string> problems;
  ConfigFileTexts file{"conf/boat.conf", true, true, true, 0600, kGood};
  file.values["History/CapMB"] = "5";
  EXPECT_EQ(ParseServiceConfig(file, {"/s/a:/s/b", "/d", "/h"}, "pi", problems).historyFolder, "/s/a");
  EXPECT_EQ(ParseServiceConfig(file, {"", "/d", "/h"}, "pi", problems).historyFolder,
            "/d/Voltander/voltanderd");
  const ServiceConfig config = ParseServiceConfig(file, {"", "rel", "/h"}, "pi", problems);
  EXPECT_EQ(config.historyFolder, "/h/.local/share/Voltander/voltanderd");
  EXPECT_EQ(config.name, "boat");
  EXPECT_EQ(config.capBytes, 5u * 1024 * 1024);
  EXPECT_TRUE(problems.empty());
  file.path = "/etc/voltander/my boat.conf";
  ParseServiceConfig(file, {}, "pi", problems);
  EXPECT_EQ(problems, (std::vector<std::string>{"Hibás érték ([Port] Name, a fájl nevéből=my boat): "
                                                "1-64 karakter lehet: betű, számjegy, _ vagy -."}));
}

// The service's core over fakes: a device missing at the start is waited for, then
// each reply is filed and published, and the stop leaves "offline" and a closed port.
TEST(Unattended, AMissingDeviceIsWaitedForThenEachReplyIsFiledAndPublished) {
  test::Harness h;
  test::FakeSettings memory;
  test::FakePublisher broker;
  h.settings.values = {{"Voltander/Mqtt/Enabled", "1"}, {"Voltander/Mqtt/Host", "b"},
                       {"Voltander/Mqtt/Prefix", "p"}};
  h.port.openFailures[4] = {OpenError::InvalidPort, 8002, "gone"};
  Kozos kozos;
  Unattended service(kozos,
                     {h.port, h.timer, h.retryTimer, h.pause, h.beep, h.desktop, h.dialogs,
                      h.journal, h.sessionFiles, h.clock, h.deferred, h.settings, memory, broker},
                     {"COM4", "garage", {}, "", 1000000});
  service.start();
  EXPECT_EQ(h.port.settings, "9600,N,8,1");
  EXPECT_TRUE(h.retryTimer.enabled() && !h.timer.enabled());
  h.port.openFailures.clear();
  h.retryTimer.tick();
  EXPECT_EQ(h.timer.interval(), 2000);
  broker.tell(BrokerState::Connected);
  ASSERT_TRUE(h.timer.tick());
  h.reply('E', {200, 0, 0, 0, 15, 160, 18});
  ASSERT_EQ(h.sessionFiles.files.size(), 1u);
  EXPECT_NE(h.sessionFiles.files.begin()->second.find(",status,2,200,1,0,0,4,\n"), std::string::npos);
  const auto status = std::find_if(broker.published.begin(), broker.published.end(),
                                   [](const Message& m) { return m.topic == "p/garage/status"; });
  ASSERT_NE(status, broker.published.end());
  EXPECT_NE(status->payload.find("\"duty\":200,"), std::string::npos);
  service.stop();
  EXPECT_EQ(broker.published.back().topic + " " + broker.published.back().payload,
            "p/garage/availability offline");
  EXPECT_FALSE(h.port.isOpen() || h.timer.enabled() || h.retryTimer.enabled());
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(h.journal.events, (std::vector<std::string>{"open 0:8002", "open 0:0", "open 0:0",
                                                        "got E", "status 2/200 charging 4.000", "up"}));
}

}  // namespace
}  // namespace voltander::service

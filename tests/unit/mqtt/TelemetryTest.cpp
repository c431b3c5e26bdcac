#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "mqtt/Payloads.h"
#include "mqtt/Telemetry.h"

namespace voltander::test {
namespace {

struct Published {
  std::string topic, payload;
  bool retained;
  int qos;
  bool operator==(const Published&) const = default;
};

std::vector<Published> Seen(const FakePublisher& p, std::size_t from = 0) {
  std::vector<Published> out;
  for (std::size_t i = from; i < p.published.size(); ++i)
    out.push_back({p.published[i].topic, p.published[i].payload, p.published[i].retained,
                   p.published[i].qos});
  return out;
}

void Configure(Harness& h, const std::map<std::string, std::string>& values) {
  for (const auto& [key, value] : values) h.settings.values["Voltander/Mqtt/" + key] = value;
}

TEST(TelemetryTest, PublishesEachTopicInItsExactForm) {
  Harness h;
  FakePublisher broker;
  h.form->startTelemetry(broker);
  Configure(h, {{"Enabled", "1"}, {"Host", "broker.lan"}, {"Prefix", "garage/pc1"}});
  h.loadWithPort(0);
  ASSERT_EQ(broker.starts.size(), 1u);
  EXPECT_EQ(broker.will.topic + " " + broker.will.payload, "garage/pc1/comm1/availability offline");
  EXPECT_TRUE(broker.will.retained);
  broker.tell(BrokerState::Connected);
  h.reply('E', {200, '0', '0', '0', 15, 160, 18});
  h.reply('V', {'2', '0', '0', '4', '0', '1', '0'});
  h.reply('O', {178, 190, 165, 162, 3, 10, 1});
  h.form->journal.linkLost();
  h.form->journal.calibrationUpload(4010);
  h.form->journal.parameterFileSaved("a \"b\".vlt");
  h.form->journal.parameterUpload({178, 190, 165, 162, 3, 10, 1});

  const std::string parameters =
      R"({"Umin":{"text":"0.417 V","code":178},"Umax":{"text":"2.916 V","code":190},)"
      R"("Igyors":{"text":"0.340 A","code":165},"Inormal":{"text":"0.140 A","code":162},)"
      R"("Tkarbantarto":{"text":"4. napon","code":3},"Thiszt":{"text":"10 s","code":10},)"
      R"("Minta":{"text":"1. s","code":1}})";
  std::vector<Published> seen;
  for (const Published& p : Seen(broker))
    if (!p.topic.starts_with("homeassistant/")) seen.push_back(p);
  EXPECT_EQ(seen, (std::vector<Published>{
      {"garage/pc1/comm1/availability", "online", true, 1},
      {"garage/pc1/comm1/link", "down", true, 1},
      {"garage/pc1/comm1/status",
       R"({"time":"2026-03-01T08:00:02+01:00","state":2,"state_text":"Normál töltés","duty":200,)"
       R"("duty_percent":78.4,"charging":true,"fault":false,"calibration_loop":false,"ratio":4})",
       true, 0},
      {"garage/pc1/comm1/link", "up", true, 1},
      {"garage/pc1/comm1/event", R"({"time":"2026-03-01T08:00:06+01:00","event":"link_up"})",
       false, 1},
      {"garage/pc1/comm1/firmware", "V200401", true, 1},
      {"garage/pc1/comm1/parameters", parameters, true, 1},
      {"garage/pc1/comm1/link", "down", true, 1},
      {"garage/pc1/comm1/event", R"({"time":"2026-03-01T08:00:10+01:00","event":"link_lost"})",
       false, 1},
      {"garage/pc1/comm1/event",
       R"({"time":"2026-03-01T08:00:14+01:00","event":"calibration_upload","n":4010})", false, 1},
      {"garage/pc1/comm1/event",
       R"({"time":"2026-03-01T08:00:18+01:00","event":"file_saved","file":"a \"b\".vlt"})", false, 1},
      {"garage/pc1/comm1/event",
       R"({"time":"2026-03-01T08:00:22+01:00","event":"parameter_upload",)"
       R"("codes":[178,190,165,162,3,10,1]})",
       false, 1},
      {"garage/pc1/comm1/parameters", parameters, true, 1},
  }));
  EXPECT_EQ(broker.published.at(2).topic, "homeassistant/sensor/garage_pc1_comm1/state/config");
  EXPECT_EQ(
      broker.published.at(2).payload,
      R"j({"name":"Állapot","unique_id":"garage_pc1_comm1_state","state_topic":)j"
      R"j("garage/pc1/comm1/status","value_template":"{{ value_json.state_text }}","device_class":)j"
      R"j("enum","options":["Nincs akku","Gyors töltés","Normál töltés","Szintentartás",)j"
      R"j("Karbantartás","Kalibrációs hurok!"],"availability_topic":"garage/pc1/comm1/)j"
      R"j(availability","device":{"identifiers":["garage_pc1_comm1"],"name":"Voltander Comm 1 )j"
      R"j((pc1)","manufacturer":"Voltander","model":"Voltander"}})j");
  EXPECT_EQ(broker.published.size(), seen.size() + 6) << "six discovery configs";
}

// A wall clock the test sets.
class SetClock : public Clock {
 public:
  LocalTime now() override { return {2026, 3, 1, 8, seconds / 60, seconds % 60, 0, 60}; }
  int seconds = 0;
};

struct Direct {
  Harness h;
  FakePublisher broker;
  SetClock clock;
  mqtt::Telemetry telemetry{broker, h.settings, clock,
                            {h.form->State, h.form->Kall, h.form->AMVerzio, h.form->lists,
                             h.kozos}};
  Direct() {
    Configure(h, {{"Enabled", "1"}, {"Host", "b"}, {"Prefix", "p"}});
    h.form->Form_Load();
    telemetry.load();
    telemetry.portOpened(CommPort(3), {});
  }
  void statusAt(int second, std::uint8_t duty) {
    clock.seconds = second;
    telemetry.status({1, duty, true, false, false, 4.0f});
  }
  // The seconds of the status messages published since from.
  std::vector<std::string> statusTimes(std::size_t from = 0) {
    std::vector<std::string> times;
    for (std::size_t i = from; i < broker.published.size(); ++i)
      if (broker.published[i].topic == "p/comm3/status")
        times.push_back(broker.published[i].payload.substr(23, 5));
    return times;
  }
};

TEST(TelemetryTest, TimesCountFromTheEpochWithTheirOffset) {
  EXPECT_EQ(mqtt::EpochSeconds({2026, 3, 1, 8, 0, 2, 0, 60}), 1772348402);
  EXPECT_EQ(mqtt::EpochSeconds({1999, 12, 31, 23, 59, 59, 0, -330}), 946704599);
}

TEST(TelemetryTest, StatusGoesOutOnChangeAndAtLeastOnceAMinute) {
  Direct d;
  d.broker.tell(BrokerState::Connected);
  for (int s = 0; s <= 180; s += 2) d.statusAt(s, s == 30 || s == 32 ? 90 : 60);
  EXPECT_EQ(d.statusTimes(), (std::vector<std::string>{"00:00", "00:30", "00:34", "01:34",
                                                        "02:34"}));
}

TEST(TelemetryTest, WhatChangedWhileTheBrokerWasAwayGoesOutOnReconnection) {
  Direct d;
  d.broker.tell(BrokerState::Connected);
  d.statusAt(0, 60);
  d.broker.tell(BrokerState::Disconnected);
  const std::size_t before = d.broker.published.size();
  d.statusAt(2, 70);
  d.statusAt(4, 80);
  d.telemetry.linkLost();
  EXPECT_EQ(d.broker.published.size(), before);
  d.broker.tell(BrokerState::Connected);
  const auto seen = Seen(d.broker, before);
  ASSERT_EQ(seen.size(), 9u) << "availability, link, status, six discovery configs";
  EXPECT_EQ(seen[1].topic + " " + seen[1].payload, "p/comm3/link down");
  EXPECT_NE(seen[2].payload.find("\"duty\":80,"), std::string::npos) << seen[2].topic;
}

TEST(TelemetryTest, PortChangeLeavesTheOldBaseOfflineAndMovesTheWill) {
  Direct d;
  d.broker.tell(BrokerState::Connected);
  const std::size_t before = d.broker.published.size();
  d.telemetry.portOpened(CommPort(7), {});
  EXPECT_EQ(Seen(d.broker, before),
            (std::vector<Published>{{"p/comm3/availability", "offline", true, 1}}));
  EXPECT_EQ(d.broker.starts.size(), 2u);
  EXPECT_EQ(d.broker.will.topic, "p/comm7/availability");
  d.telemetry.portOpened(CommPort(9), {OpenError::PortInUse, 8005, ""});
  EXPECT_EQ(d.broker.starts.size(), 2u) << "a port that did not open changes nothing";
}

TEST(TelemetryTest, DamagedSettingsAreRepairedAtTheNextWriteOrKeepPublishingOff) {
  struct Case {
    std::map<std::string, std::string> stored;
    std::string key, written;
    bool publishes;
  };
  const std::vector<Case> cases = {
      {{{"Port", "0"}}, "Port", "1883", true},
      {{{"Port", "65536"}}, "Port", "1883", true},
      {{{"Port", "1"}}, "Port", "1", true},
      {{{"Port", "65535"}}, "Port", "65535", true},
      {{{"Prefix", "a/+/b"}}, "Prefix", "voltander/pc1", true},
      {{{"Prefix", "a/#"}}, "Prefix", "voltander/pc1", true},
      {{{"Prefix", "a//b"}}, "Prefix", "voltander/pc1", true},
      {{{"Prefix", "a/"}}, "Prefix", "voltander/pc1", true},
      {{{"Prefix", "a/b"}}, "Prefix", "a/b", true},
      {{{"Tls", "yes"}}, "Tls", "0", true},
      {{{"Enabled", "on"}}, "Enabled", "0", false},
      {{{"Host", ""}}, "Enabled", "1", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored.begin()->first + "=" + c.stored.begin()->second);
    Harness h;
    FakePublisher broker;
    h.form->startTelemetry(broker);
    Configure(h, {{"Enabled", "1"}, {"Host", "b"}});
    Configure(h, c.stored);
    h.loadWithPort(0);
    EXPECT_EQ(broker.starts.size(), c.publishes ? 1u : 0u);
    EXPECT_EQ(h.form->telemetry->problems().size(),
              c.written != c.stored.begin()->second || !c.publishes ? 1u : 0u);
    h.form->Form_Unload();
    EXPECT_EQ(h.settings.values["Voltander/Mqtt/" + c.key], c.written);
  }
}

}  // namespace
}  // namespace voltander::test

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>

#include "fakes/Fakes.h"
#include "mqtt/Payloads.h"
#include "mqtt/Reconnect.h"
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
  FakeSettings memory;  // where the published node ids are kept
  mqtt::Telemetry telemetry{broker, h.settings, memory, clock,
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
  // "+id" or "-id" for each node id whose configs were filled or emptied since from.
  std::vector<std::string> configs(std::size_t from) {
    std::vector<std::string> out;
    for (auto m = broker.published.begin() + static_cast<long>(from); m != broker.published.end(); ++m)
      if (m->topic.starts_with("homeassistant/sensor/") && m->topic.ends_with("/state/config"))
        out.push_back((m->payload.empty() ? "-" : "+") + m->topic.substr(21, m->topic.size() - 34));
    return out;
  }
  // The minute and second of each status message.
  std::vector<std::string> statusTimes() {
    std::vector<std::string> times;
    for (const Message& m : broker.published)
      if (m.topic == "p/comm3/status") times.push_back(m.payload.substr(23, 5));
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

// A damaged key that decides where the login goes keeps publishing off and stays as
// written; Prefix and Discovery are repaired, and only a repair is written back.
TEST(TelemetryTest, DamagedSettingsAreRepairedOrFailClosedAndOnlyRepairsAreWritten) {
  enum Outcome { Fine, Repaired, Closed };
  const std::string a200(200, 'a'), fix = "voltander/pc1";
  const std::vector<std::tuple<std::string, std::string, std::string, Outcome>> cases = {
      {"Port", "0", "0", Closed},         {"Port", "65536", "65536", Closed},
      {"Port", "1x", "1x", Closed},       {"Port", "65535", "65535", Fine},
      {"Port", "1", "1", Fine},           {"Tls", "true", "true", Closed},
      {"Enabled", "on", "on", Closed},    {"Host", "", "", Closed},
      {"Host", "a b", "a b", Closed},     {"CaFile", "/c\n", "/c\n", Closed},
      {"Discovery", "2", "1", Repaired},  {"Prefix", "a/+/b", fix, Repaired},
      {"Prefix", "a/#", fix, Repaired},   {"Prefix", "a//b", fix, Repaired},
      {"Prefix", "a/", fix, Repaired},    {"Prefix", "$SYS/a", fix, Repaired},
      {"Prefix", "a\tb", fix, Repaired},  {"Prefix", std::string("a\0b", 3), fix, Repaired},
      {"Prefix", "a\xc2\x85", fix, Repaired} /* U+0085 */, {"Prefix", "h\xe1z", fix, Repaired},
      {"Prefix", a200 + "b", fix, Repaired}, {"Prefix", a200, a200, Fine},
      {"Prefix", "ház/\"x\\", "ház/\"x\\", Fine},
  };
  const std::set<std::string> keys = {"Enabled", "Host", "Port",   "User",     "Password",
                                      "Prefix",  "Tls",  "CaFile", "Discovery"};
  for (const auto& [key, stored, written, outcome] : cases) {
    SCOPED_TRACE(key + "=" + stored);
    Harness h;
    FakePublisher broker;
    h.form->startTelemetry(broker);
    Configure(h, {{"Enabled", "1"}, {"Host", "b"}, {"Password", "pw"}});
    Configure(h, {{key, stored}});
    h.loadWithPort(0);
    EXPECT_EQ(broker.starts.size(), outcome == Closed ? 0u : 1u);
    const auto& problems = h.form->telemetry->problems();
    ASSERT_EQ(problems.size(), outcome == Fine ? 0u : 1u);
    if (outcome != Fine) {
      EXPECT_EQ(problems[0].key + std::to_string(problems[0].repaired), key + std::to_string(outcome == Repaired));
      EXPECT_NE(problems[0].line.find("(" + key), std::string::npos) << problems[0].line;
    }
    h.settings.savedKeys.clear();
    h.form->Form_Unload();
    EXPECT_EQ(h.settings.values["Voltander/Mqtt/" + key], written);
    EXPECT_EQ(std::count_if(h.settings.savedKeys.begin(), h.settings.savedKeys.end(),
                            [&](const std::string& k) { return keys.count(k) > 0; }),
              outcome == Repaired ? 1 : 0);
  }
}

TEST(TelemetryTest, NodeIdsAreOneToOneWithThePrefixAndPlainPrefixesKeepTheirOldIds) {
  const std::array<std::array<std::string, 3>, 8> cases{{
      {"voltander/pc1", "comm1", "voltander_pc1_comm1"}, {"a-AZ/c09", "comm12", "a-AZ_c09_comm12"},
      {"a/b", "comm1", "a_b_comm1"},        {"a_b", "comm1", "a__5fb_comm1"},
      {"a/_b", "comm1", "a___5fb_comm1"},   {"ház", "comm1", "h__c3__a1z_comm1"},
      {"héz", "comm1", "h__c3__a9z_comm1"}, {"a.b", "x_y", "a__2eb_x__5fy"},
  }};
  for (const auto& [prefix, name, id] : cases) EXPECT_EQ(mqtt::NodeId(prefix, name), id) << prefix;
}

// The old base goes offline at once; the configs left retained, by this run or by an
// earlier one with another prefix, are emptied at the next connection.
TEST(TelemetryTest, DiscoveryOffOrAnotherPortEmptiesTheConfigsLeftBeforeEvenFromAnEarlierRun) {
  Direct d;
  d.memory.values["Voltander/HomeAssistant/comm3"] = "old_comm3";
  d.broker.tell(BrokerState::Connected);
  EXPECT_EQ(d.configs(0), (std::vector<std::string>{"-old_comm3", "+p_comm3"}));
  std::size_t from = d.broker.published.size();
  d.telemetry.portOpened(CommPort(9), {OpenError::PortInUse, 8005, ""});
  d.telemetry.portOpened(CommPort(7), {});
  EXPECT_EQ(Seen(d.broker, from), (std::vector<Published>{{"p/comm3/availability", "offline", true, 1}}));
  EXPECT_EQ(d.broker.will.topic + std::to_string(d.broker.starts.size()), "p/comm7/availability2");
  d.broker.tell(BrokerState::Connected);
  EXPECT_EQ(d.configs(from), (std::vector<std::string>{"-p_comm3", "+p_comm7"}));
  mqtt::MqttSettings off = d.telemetry.settings();
  off.discovery = false;
  d.telemetry.apply(off);
  from = d.broker.published.size();
  d.broker.tell(BrokerState::Connected);
  EXPECT_EQ(d.configs(from), (std::vector<std::string>{"-p_comm7"}));
  EXPECT_EQ(d.memory.values, (std::map<std::string, std::string>{
                                 {"Voltander/HomeAssistant/comm3", ""},
                                 {"Voltander/HomeAssistant/comm7", ""}}));
}

TEST(TelemetryTest, EachLineConditionGoesOutAsALineErrorEventWithTheWindowsAnswer) {
  Direct d;
  d.broker.tell(BrokerState::Connected);
  const std::size_t before = d.broker.published.size();
  using E = CommEvent;
  for (const E e : {E::Break, E::Frame, E::Overrun, E::RxOver, E::RxParity, E::TxFull, E::Dcb,
                    E::CarrierDetect, E::Receive, E::DeviceLost})
    d.telemetry.lineEvent(e, "frame 3 -> 4");
  std::string seen;
  for (const Published& p : Seen(d.broker, before))
    seen += p.topic + p.payload.substr(p.payload.find(",\"event\"")) + "\n";
  EXPECT_EQ(seen, R"(p/comm3/event,"event":"line_error","code":1001,"text":"1"}
p/comm3/event,"event":"line_error","code":1004,"text":"beep"}
p/comm3/event,"event":"line_error","code":1006,"text":"3"}
p/comm3/event,"event":"line_error","code":1008,"text":"4"}
p/comm3/event,"event":"line_error","code":1009,"text":"5"}
p/comm3/event,"event":"line_error","code":1010,"text":"6"}
p/comm3/event,"event":"line_error","code":1011,"text":"7"}
p/comm3/event,"event":"line_error","code":5,"text":"break_off"}
)");
}

TEST(TelemetryTest, StateGoesOutAsTheWindowShowsItAndNullBeforeItShowsAny) {
  Direct d;
  d.broker.tell(BrokerState::Connected);
  std::string states;
  for (const auto& [state, duty] : {std::pair{9, 1}, {0, 2}, {5, 3}, {12, 4}}) {
    d.telemetry.status({static_cast<std::uint8_t>(state), static_cast<std::uint8_t>(duty)});
    const std::string& json = d.broker.published.back().payload;
    states += json.substr(json.find("\"state\""), json.find(",\"duty\"") - json.find("\"state\"")) + ";";
  }
  EXPECT_EQ(states, R"("state":null,"state_text":null;"state":0,"state_text":"Nincs akku";)"
                    R"("state":5,"state_text":"Kalibrációs hurok!";)"
                    R"("state":5,"state_text":"Kalibrációs hurok!";)");
}

TEST(TelemetryTest, ReconnectWaitsDoubleUpToAMinuteAndStartAfreshOnlyAfterAFairConnection) {
  // The wait before, whether the attempt connected and broke the protocol, the next.
  const std::array<std::array<int, 4>, 10> cases{{{0, 0, 0, 1}, {1, 0, 0, 2}, {2, 0, 0, 4},
                                                  {32, 0, 0, 60}, {60, 0, 0, 60}, {60, 1, 0, 1},
                                                  {60, 1, 1, 60}, {8, 1, 1, 16}, {8, 0, 1, 16},
                                                  {0, 1, 1, 1}}};
  for (const auto& [last, connected, broke, next] : cases)
    EXPECT_EQ(mqtt::NextReconnectDelay(last, connected, broke), next) << last << connected << broke;
}

}  // namespace
}  // namespace voltander::test

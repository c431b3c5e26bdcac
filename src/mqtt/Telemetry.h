// Publishes what the window shows to a message broker, for watching the charger
// from afar (Home Assistant and the like). It listens to the journal as the charge
// history does and reads the shown texts off the controls; it only ever sends, so
// nothing from the network reaches the link, and a broker that is away costs nothing
// but the messages it misses: what is retained is published again on reconnection.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/Kozos.h"
#include "controls/Controls.h"
#include "mqtt/MqttSettings.h"
#include "params/ParameterSet.h"
#include "platform/Clock.h"
#include "platform/Journal.h"
#include "platform/Publisher.h"
#include "platform/SettingsStore.h"

namespace voltander::mqtt {

// The window's controls whose texts go out as they are shown.
struct ShownTexts {
  const std::array<Label, 5>& State;
  const Label& Kall;
  const TextBox& AMVerzio;
  const ParameterLists& lists;
  const Kozos& kozos;
};

class Telemetry : public Journal {
 public:
  Telemetry(Publisher& publisher, SettingsStore& store, Clock& clock, ShownTexts shown);
  ~Telemetry() override { publisher_.onState = nullptr; }
  Telemetry(const Telemetry&) = delete;
  Telemetry& operator=(const Telemetry&) = delete;

  // Reads the settings; the connection follows once a port is open.
  void load();
  // New settings from the dialog: written at once and put in force.
  void apply(const MqttSettings& settings);
  // "offline" on a clean exit, and the settings written back repaired.
  void shutdown();

  const MqttSettings& settings() const { return settings_; }
  // The damaged values found by load(), one Hungarian line each.
  const std::vector<std::string>& problems() const { return problems_; }
  BrokerState state() const { return state_; }
  // Told each change of the broker connection (the dialog follows it).
  std::function<void(BrokerState)> onState;

  void portOpened(const PortTarget& port, const OpenResult& result) override;
  void status(const StatusRecord& s) override;
  void linkLost() override;
  void linkUp() override;
  void linkRestored() override;
  void replyApplied(const LineFrame& frame) override;
  void parameterUpload(const std::array<std::uint8_t, 7>& codes) override;
  void calibrationUpload(std::uint16_t n) override;
  void parameterFileOpened(const std::string& name) override;
  void parameterFileSaved(const std::string& name) override;

 private:
  void restart();
  void brokerState(BrokerState state);
  void publishRetained();
  void publishStatus(const LocalTime& now);
  void linkCame(const char* name);
  void publishParameters();
  void event(const std::string& name, const std::string& fields = {});
  void send(const std::string& topic, const std::string& payload, bool retained, int qos = 0);

  Publisher& publisher_;
  SettingsStore& store_;
  Clock& clock_;
  ShownTexts shown_;
  MqttSettings settings_;
  std::vector<std::string> problems_;
  bool present_ = false;  // the file holds the group
  bool started_ = false;
  bool connected_ = false;
  BrokerState state_ = BrokerState::Disconnected;
  PortTarget port_;  // the port opened last; no name before any
  std::string base_;
  bool linkUp_ = false;
  std::string firmware_, parameters_;
  // The last status reply as it would be published, without its time.
  std::optional<StatusRecord> lastStatus_;
  int shownState_ = -1;
  std::string lastContent_, publishedContent_;
  std::optional<std::int64_t> publishedAt_;
};

}  // namespace voltander::mqtt

// Publishes what the window shows to a message broker, for watching the charger
// from afar (Home Assistant and the like). It listens to the journal as the charge
// history does and reads the shown texts off the controls; it only ever sends, so
// nothing from the network reaches the link, and a broker that is away costs nothing
// but the messages it misses: what is retained is published again on reconnection.
// It remembers which Home Assistant configs it left retained (in a store of the
// caller's choosing, as a service's settings are read-only), so that turning the
// discovery off or moving to another port removes them, across restarts too.
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
  // settings holds [Mqtt]; memory what was published (the window passes one store
  // twice).
  Telemetry(Publisher& publisher, SettingsStore& settings, SettingsStore& memory, Clock& clock,
            ShownTexts shown);
  ~Telemetry() override { publisher_.onState = nullptr; }
  Telemetry(const Telemetry&) = delete;
  Telemetry& operator=(const Telemetry&) = delete;

  // Reads the settings; the connection follows once a port is open.
  void load();
  // Publishes for port from now on, open or not: a service that waits for its device
  // is still seen online, with its link down.
  void follow(const PortTarget& port);
  // New settings from the dialog: written at once and put in force.
  void apply(const MqttSettings& settings);
  // "offline" on a clean exit, and the repaired values written back.
  void shutdown();

  const MqttSettings& settings() const { return settings_; }
  // The damaged values found by load(); one that is not repaired keeps publishing off.
  const std::vector<Problem>& problems() const { return problems_; }
  BrokerState state() const { return state_; }
  // The last will a connection with these settings leaves from the open port, for
  // a connection test set up as the real one.
  Message willFor(const MqttSettings& settings) const;
  // Told each change of the broker connection (the dialog follows it).
  std::function<void(BrokerState)> onState;

  void portOpened(const PortTarget& port, const OpenResult& result) override;
  // Each line condition as the event "line_error".
  void lineEvent(CommEvent event, const std::string& detail) override;
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
  void moveTo(const std::string& name, const std::string& title);
  void restart();
  void brokerState(BrokerState state);
  void publishRetained();
  void publishDiscovery();
  void remember(const std::string& name, const std::string& nodeId);
  void publishStatus(const LocalTime& now);
  void linkCame(const char* name);
  void publishParameters();
  void event(const std::string& name, const std::string& fields = {});
  void send(const std::string& topic, const std::string& payload, bool retained, int qos = 0);

  Publisher& publisher_;
  SettingsStore& store_;
  SettingsStore& memory_;
  Clock& clock_;
  ShownTexts shown_;
  MqttSettings settings_;
  std::vector<Problem> problems_;
  bool started_ = false;
  bool connected_ = false;
  BrokerState state_ = BrokerState::Disconnected;
  // The open port: its topic name ("comm3") and its title ("Comm 3"); empty before any.
  std::string name_, title_;
  std::string base_;
  // Node ids of ports left this run whose configs are still retained, by port name.
  std::vector<std::pair<std::string, std::string>> leftBehind_;
  bool linkUp_ = false;
  std::string firmware_, parameters_;
  // The last status reply as it would be published, without its time.
  std::optional<StatusRecord> lastStatus_;
  int shownState_ = -1;
  std::string lastContent_, publishedContent_;
  std::optional<std::int64_t> publishedAt_;
};

}  // namespace voltander::mqtt

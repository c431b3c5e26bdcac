#include "mqtt/Telemetry.h"

#include "mqtt/Payloads.h"
#include "params/UploadFrame.h"
#include "protocol/Frame.h"

namespace voltander::mqtt {

namespace {

// A steady charger still shows it is alive this often.
constexpr std::int64_t kHeartbeatSeconds = 60;
constexpr int kCalibrationLoop = 5;
constexpr const char* kApp = "Voltander";
// Port name to the node id whose configs are retained for it.
constexpr const char* kPublishedSection = "HomeAssistant";

// What the window would have said of a line condition: the box's digit, the beep of
// a framing error, or the break switched off when the carrier changes.
const char* LineErrorText(CommEvent event) {
  switch (event) {
    case CommEvent::Break:
      return "1";
    case CommEvent::Frame:
      return "beep";
    case CommEvent::Overrun:
      return "3";
    case CommEvent::RxOver:
      return "4";
    case CommEvent::RxParity:
      return "5";
    case CommEvent::TxFull:
      return "6";
    case CommEvent::Dcb:
      return "7";
    case CommEvent::CarrierDetect:
      return "break_off";
    case CommEvent::Receive:
    case CommEvent::DeviceLost:
      break;
  }
  return nullptr;
}

}  // namespace

Telemetry::Telemetry(Publisher& publisher, SettingsStore& settings, SettingsStore& memory,
                     Clock& clock, ShownTexts shown)
    : publisher_(publisher), store_(settings), memory_(memory), clock_(clock), shown_(shown) {
  publisher_.onState = [this](BrokerState s) { brokerState(s); };
}

void Telemetry::load() {
  problems_.clear();
  settings_ = ParseSettings(ReadTexts(store_), publisher_.hostName(), problems_);
  restart();
}

void Telemetry::apply(const MqttSettings& settings) {
  settings_ = settings;
  problems_.clear();
  if (auto refusal = Refusal(settings_)) problems_.push_back(std::move(*refusal));
  WriteSettings(store_, settings_);
  restart();
}

void Telemetry::shutdown() {
  if (connected_) send(base_ + "/availability", "offline", true, 1);
  if (started_) publisher_.stop();
  started_ = connected_ = false;
  WriteRepaired(store_, settings_, problems_);
}

Message Telemetry::willFor(const MqttSettings& s) const {
  // Before any port is open a stand-in name gives the topic its shape.
  return {BaseTopic(s.prefix, name_.empty() ? "comm0" : name_) + "/availability", "offline", true,
          1};
}

void Telemetry::restart() {
  if (connected_) send(base_ + "/availability", "offline", true, 1);
  connected_ = false;
  if (!settings_.enabled || FailsClosed(problems_) || name_.empty()) {
    if (started_) publisher_.stop();
    started_ = false;
    return;
  }
  base_ = BaseTopic(settings_.prefix, name_);
  publisher_.start(settings_.broker, willFor(settings_));
  started_ = true;
}

void Telemetry::brokerState(BrokerState s) {
  state_ = s;
  connected_ = started_ && s == BrokerState::Connected;
  if (connected_) publishRetained();
  if (onState) onState(s);
}

void Telemetry::publishRetained() {
  send(base_ + "/availability", "online", true, 1);
  send(base_ + "/link", linkUp_ ? "up" : "down", true, 1);
  if (!firmware_.empty()) send(base_ + "/firmware", firmware_, true, 1);
  if (!parameters_.empty()) send(base_ + "/parameters", parameters_, true, 1);
  if (lastStatus_) publishStatus(clock_.now());
  publishDiscovery();
}

void Telemetry::publishDiscovery() {
  const std::string nodeId = NodeId(settings_.prefix, name_);
  std::vector<std::pair<std::string, std::string>> gone = std::move(leftBehind_);
  leftBehind_.clear();
  const std::string kept = memory_.get(kApp, kPublishedSection, name_, "");
  if (!kept.empty() && (kept != nodeId || !settings_.discovery)) gone.emplace_back(name_, kept);
  for (const auto& [name, id] : gone) {
    for (const std::string& topic : DiscoveryTopics(id)) publisher_.publish({topic, "", true, 1});
    if (name != name_) remember(name, "");
  }
  remember(name_, settings_.discovery ? nodeId : "");
  if (!settings_.discovery) return;
  std::vector<std::string> texts;
  for (const Label& label : shown_.State) texts.push_back(label.caption());
  texts.push_back(shown_.Kall.caption());
  const DeviceInfo device{base_, nodeId, publisher_.hostName(), title_, texts};
  for (const Message& config : DiscoveryConfigs(device)) publisher_.publish(config);
}

void Telemetry::remember(const std::string& name, const std::string& nodeId) {
  if (memory_.get(kApp, kPublishedSection, name, "") != nodeId)
    memory_.save(kApp, kPublishedSection, name, nodeId);
}

void Telemetry::portOpened(const PortTarget& port, const OpenResult& result) {
  if (result.ok()) follow(port);
}

void Telemetry::follow(const PortTarget& port) { moveTo(port.name, port.title); }

void Telemetry::moveTo(const std::string& name, const std::string& title) {
  if (name == name_) return;
  if (!name_.empty()) {
    const std::string kept = memory_.get(kApp, kPublishedSection, name_, "");
    if (!kept.empty()) leftBehind_.emplace_back(name_, kept);
  }
  // Back on a port left this run: its configs are its own again.
  std::erase_if(leftBehind_, [&](const auto& left) { return left.first == name; });
  name_ = name;
  title_ = title;
  restart();
}

void Telemetry::lineEvent(CommEvent e, const std::string&) {
  if (const char* text = LineErrorText(e))
    event("line_error", "\"code\":" + std::to_string(static_cast<int>(e)) +
                            ",\"text\":" + JsonString(text));
}

void Telemetry::status(const StatusRecord& s) {
  // Codes 6 to 15 leave the window's state labels as they were, and so here.
  if (s.state <= kCalibrationLoop) shownState_ = s.state;
  lastStatus_ = s;
  lastContent_ = std::to_string(shownState_) + '/' + std::to_string(s.duty) + '/' +
                 std::to_string(s.charging) + std::to_string(s.fault) +
                 std::to_string(s.calibrationLoop) + '/' + std::to_string(s.ratio);
  if (!connected_) return;
  const LocalTime now = clock_.now();
  const bool due = !publishedAt_ || EpochSeconds(now) - *publishedAt_ >= kHeartbeatSeconds;
  if (due || lastContent_ != publishedContent_) publishStatus(now);
}

void Telemetry::publishStatus(const LocalTime& now) {
  std::string text;
  if (shownState_ >= 0 && shownState_ < kCalibrationLoop) {
    text = shown_.State[static_cast<std::size_t>(shownState_)].caption();
  } else if (shownState_ == kCalibrationLoop) {
    text = shown_.Kall.caption();
  }
  send(base_ + "/status", StatusJson(now, shownState_, text, *lastStatus_), true);
  publishedContent_ = lastContent_;
  publishedAt_ = EpochSeconds(now);
}

void Telemetry::linkLost() {
  linkUp_ = false;
  send(base_ + "/link", "down", true, 1);
  event("link_lost");
}

void Telemetry::linkUp() { linkCame("link_up"); }

void Telemetry::linkRestored() { linkCame("link_restored"); }

void Telemetry::linkCame(const char* name) {
  linkUp_ = true;
  send(base_ + "/link", "up", true, 1);
  event(name);
}

void Telemetry::replyApplied(const LineFrame& frame) {
  if (frame[1] == kVersionReply) {
    firmware_ = shown_.AMVerzio.text();
    send(base_ + "/firmware", firmware_, true, 1);
  } else if (frame[1] == kParameterReply) {
    publishParameters();
  }
}

void Telemetry::publishParameters() {
  const ParameterLists& l = shown_.lists;
  const Payload codes = UploadPayload(l.selected(), shown_.kozos.VoltageSteps,
                                      shown_.kozos.CurrentSteps);
  // In the controller's order, the order of the codes.
  const std::array<std::pair<const char*, const ListBox*>, 7> named{{{"Umin", &l.Umin},
                                                                     {"Umax", &l.Umax},
                                                                     {"Igyors", &l.Igyors},
                                                                     {"Inormal", &l.Inormal},
                                                                     {"Tkarbantarto", &l.Tkarbantarto},
                                                                     {"Thiszt", &l.Thiszt},
                                                                     {"Minta", &l.Minta}}};
  std::vector<ShownParameter> shown;
  for (std::size_t i = 0; i < named.size(); ++i)
    shown.push_back({named[i].first, named[i].second->selectedText(), codes[i]});
  parameters_ = ParametersJson(shown);
  send(base_ + "/parameters", parameters_, true, 1);
}

void Telemetry::parameterUpload(const std::array<std::uint8_t, 7>& codes) {
  std::string list;
  for (const std::uint8_t c : codes) list += (list.empty() ? "" : ",") + std::to_string(c);
  event("parameter_upload", "\"codes\":[" + list + "]");
  publishParameters();
}

void Telemetry::calibrationUpload(std::uint16_t n) {
  event("calibration_upload", "\"n\":" + std::to_string(n));
}

void Telemetry::parameterFileOpened(const std::string& name) {
  event("file_opened", "\"file\":" + JsonString(name));
}

void Telemetry::parameterFileSaved(const std::string& name) {
  event("file_saved", "\"file\":" + JsonString(name));
}

void Telemetry::event(const std::string& name, const std::string& fields) {
  if (connected_) send(base_ + "/event", EventJson(clock_.now(), name, fields), false, 1);
}

void Telemetry::send(const std::string& topic, const std::string& payload, bool retained,
                     int qos) {
  if (connected_) publisher_.publish({topic, payload, retained, qos});
}

}  // namespace voltander::mqtt

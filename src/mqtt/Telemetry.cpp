#include "mqtt/Telemetry.h"

#include "mqtt/Payloads.h"
#include "params/UploadFrame.h"
#include "protocol/Frame.h"

namespace voltander::mqtt {

namespace {

// A steady charger still shows it is alive this often.
constexpr std::int64_t kHeartbeatSeconds = 60;
constexpr int kCalibrationLoop = 5;

}  // namespace

Telemetry::Telemetry(Publisher& publisher, SettingsStore& store, Clock& clock, ShownTexts shown)
    : publisher_(publisher), store_(store), clock_(clock), shown_(shown) {
  publisher_.onState = [this](BrokerState s) { brokerState(s); };
}

void Telemetry::load() {
  problems_.clear();
  settings_ = ParseSettings(ReadTexts(store_, present_), publisher_.hostName(), problems_);
  if (const auto refusal = Refusal(settings_)) problems_.push_back(*refusal);
  restart();
}

void Telemetry::apply(const MqttSettings& settings) {
  settings_ = settings;
  problems_.clear();
  if (const auto refusal = Refusal(settings_)) problems_.push_back(*refusal);
  present_ = true;
  WriteSettings(store_, settings_);
  restart();
}

void Telemetry::shutdown() {
  if (connected_) send(base_ + "/availability", "offline", true, 1);
  if (started_) publisher_.stop();
  started_ = connected_ = false;
  if (present_) WriteSettings(store_, settings_);
}

void Telemetry::restart() {
  if (connected_) send(base_ + "/availability", "offline", true, 1);
  connected_ = false;
  if (!settings_.enabled || Refusal(settings_) || port_.name.empty()) {
    if (started_) publisher_.stop();
    started_ = false;
    return;
  }
  base_ = BaseTopic(settings_.prefix, port_.name);
  publisher_.start(settings_.broker, {base_ + "/availability", "offline", true, 1});
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
  if (!settings_.discovery) return;
  std::vector<std::string> texts;
  for (const Label& label : shown_.State) texts.push_back(label.caption());
  texts.push_back(shown_.Kall.caption());
  const DeviceInfo device{base_, NodeId(settings_.prefix, port_.name), publisher_.hostName(), port_.title,
                          texts};
  for (const Message& config : DiscoveryConfigs(device)) publisher_.publish(config);
}

void Telemetry::portOpened(const PortTarget& port, const OpenResult& result) {
  if (!result.ok() || port.name == port_.name) return;
  port_ = port;
  restart();
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
  send(base_ + "/status", StatusJson(now, shownState_ < 0 ? lastStatus_->state : shownState_, text,
                                     *lastStatus_),
       true);
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

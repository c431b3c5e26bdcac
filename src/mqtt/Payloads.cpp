#include "mqtt/Payloads.h"

#include <charconv>
#include <cstdio>

#include "common/CivilDays.h"

namespace voltander::mqtt {

namespace {

// Shortest form that reads back the same, with a point whatever the locale.
template <typename T>
std::string Number(T value) {
  char buffer[32];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string(buffer, end);
}

std::string OneDecimal(double value) {
  char buffer[32];
  const auto end =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 1).ptr;
  return std::string(buffer, end);
}

const char* Bool(bool b) { return b ? "true" : "false"; }

// The fields every config shares: identity, availability and the device.
std::string Config(const DeviceInfo& d, const std::string& object, const std::string& name,
                   const std::string& topic, const std::string& fields) {
  const std::string device = "Voltander " + d.title + " (" + d.host + ")";
  return "{\"name\":" + JsonString(name) + ",\"unique_id\":\"" + d.nodeId + "_" + object +
         "\",\"state_topic\":\"" + d.base + "/" + topic + "\"," + fields +
         ",\"availability_topic\":\"" + d.base + "/availability\",\"device\":{\"identifiers\":[\"" +
         d.nodeId + "\"],\"name\":" + JsonString(device) +
         ",\"manufacturer\":\"Voltander\",\"model\":\"Voltander\"}}";
}

}  // namespace

std::string IsoTime(const LocalTime& t) {
  const int offset = t.offsetMinutes < 0 ? -t.offsetMinutes : t.offsetMinutes;
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month,
                t.day, t.hour, t.minute, t.second, t.offsetMinutes < 0 ? '-' : '+', offset / 60,
                offset % 60);
  return buffer;
}

std::int64_t EpochSeconds(const LocalTime& t) {
  return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 +
         t.second - t.offsetMinutes * 60;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
      out += escape;
    } else {
      out += c;
    }
  }
  return out + '"';
}

std::string BaseTopic(const std::string& prefix, const std::string& port) {
  return prefix + "/" + port;
}

std::string NodeId(const std::string& prefix, const std::string& port) {
  std::string id = prefix + "_" + port;
  for (char& c : id) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '_' || c == '-';
    if (!plain) c = '_';
  }
  return id;
}

std::string StatusJson(const LocalTime& time, int state, const std::string& stateText,
                       const StatusRecord& s) {
  return "{\"time\":\"" + IsoTime(time) + "\",\"state\":" + std::to_string(state) +
         ",\"state_text\":" + JsonString(stateText) + ",\"duty\":" + std::to_string(s.duty) +
         ",\"duty_percent\":" + OneDecimal(s.duty * 100.0 / 255.0) +
         ",\"charging\":" + Bool(s.charging) + ",\"fault\":" + Bool(s.fault) +
         ",\"calibration_loop\":" + Bool(s.calibrationLoop) + ",\"ratio\":" + Number(s.ratio) + "}";
}

std::string ParametersJson(const std::vector<ShownParameter>& lists) {
  std::string out = "{";
  for (const ShownParameter& p : lists) {
    if (out.size() > 1) out += ',';
    out += JsonString(p.name) + ":{\"text\":" + JsonString(p.text) +
           ",\"code\":" + std::to_string(p.code) + "}";
  }
  return out + "}";
}

std::string EventJson(const LocalTime& time, const std::string& event, const std::string& fields) {
  return "{\"time\":\"" + IsoTime(time) + "\",\"event\":\"" + event + "\"" +
         (fields.empty() ? "" : "," + fields) + "}";
}

std::vector<Message> DiscoveryConfigs(const DeviceInfo& d) {
  std::string options;
  for (const std::string& text : d.stateTexts) options += (options.empty() ? "" : ",") + JsonString(text);
  auto config = [&](const char* component, const char* object, std::string body) {
    return Message{"homeassistant/" + std::string(component) + "/" + d.nodeId + "/" + object +
                       "/config",
                   std::move(body), true, 1};
  };
  const std::string binary = "\"payload_on\":\"ON\",\"payload_off\":\"OFF\"";
  return {
      config("sensor", "state",
             Config(d, "state", "Állapot", "status",
                    "\"value_template\":\"{{ value_json.state_text }}\",\"device_class\":\"enum\","
                    "\"options\":[" + options + "]")),
      config("sensor", "duty",
             Config(d, "duty", "PWM kitöltés", "status",
                    "\"value_template\":\"{{ value_json.duty_percent }}\","
                    "\"unit_of_measurement\":\"%\",\"state_class\":\"measurement\"")),
      config("binary_sensor", "fault",
             Config(d, "fault", "Hiba", "status",
                    "\"value_template\":\"{{ 'ON' if value_json.fault else 'OFF' }}\"," + binary +
                        ",\"device_class\":\"problem\"")),
      config("binary_sensor", "charging",
             Config(d, "charging", "Töltés", "status",
                    "\"value_template\":\"{{ 'ON' if value_json.charging else 'OFF' }}\"," +
                        binary + ",\"device_class\":\"battery_charging\"")),
      config("binary_sensor", "link",
             Config(d, "link", "Kapcsolat", "link",
                    "\"payload_on\":\"up\",\"payload_off\":\"down\","
                    "\"device_class\":\"connectivity\"")),
      config("sensor", "firmware",
             Config(d, "firmware", "Firmware", "firmware", "\"entity_category\":\"diagnostic\"")),
  };
}

}  // namespace voltander::mqtt

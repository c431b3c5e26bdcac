#include "mqtt/Payloads.h"

#include <charconv>
#include <cstdio>

#include "common/CivilDays.h"
#include "common/Utf8.h"

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
  return "{\"name\":" + JsonString(name) + ",\"unique_id\":" + JsonString(d.nodeId + "_" + object) +
         ",\"state_topic\":" + JsonString(d.base + "/" + topic) + "," + fields +
         ",\"availability_topic\":" + JsonString(d.base + "/availability") +
         ",\"device\":{\"identifiers\":[" + JsonString(d.nodeId) + "],\"name\":" +
         JsonString(device) + ",\"manufacturer\":\"Voltander\",\"model\":\"Voltander\"}}";
}

// The six entities, in the order their configs go out.
constexpr std::array<std::pair<const char*, const char*>, 6> kEntities{{{"sensor", "state"},
                                                                         {"sensor", "duty"},
                                                                         {"binary_sensor", "fault"},
                                                                         {"binary_sensor", "charging"},
                                                                         {"binary_sensor", "link"},
                                                                         {"sensor", "firmware"}}};

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
  for (std::size_t i = 0; i < text.size();) {
    const std::optional<Utf8Char> c = Utf8At(text, i);
    const char32_t code = c ? c->codePoint : static_cast<unsigned char>(text[i]);
    if (code == '"' || code == '\\') {
      out += '\\';
      out += static_cast<char>(code);
    } else if (code < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(code));
      out += escape;
    } else if (c) {
      out.append(text, i, c->length);
    } else {
      out += Utf8Encode(code);
    }
    i += c ? c->length : 1;
  }
  return out + '"';
}

std::string BaseTopic(const std::string& prefix, const std::string& name) {
  return prefix + "/" + name;
}

std::string NodeId(const std::string& prefix, const std::string& name) {
  std::string id;
  for (const char c : prefix + "/" + name) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-') {
      id += c;
    } else if (c == '/') {
      id += '_';
    } else {
      // A "/" never stands beside another, so runs of one, two and three "_" (a level's
      // end, an escape, both) cannot be confused.
      char escape[8];
      std::snprintf(escape, sizeof escape, "__%02x", static_cast<unsigned char>(c));
      id += escape;
    }
  }
  return id;
}

std::string StatusJson(const LocalTime& time, int state, const std::string& stateText,
                       const StatusRecord& s) {
  const bool shown = state >= 0;
  return "{\"time\":\"" + IsoTime(time) + "\",\"state\":" +
         (shown ? std::to_string(state) : "null") +
         ",\"state_text\":" + (shown ? JsonString(stateText) : "null") +
         ",\"duty\":" + std::to_string(s.duty) +
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
  return "{\"time\":\"" + IsoTime(time) + "\",\"event\":" + JsonString(event) +
         (fields.empty() ? "" : "," + fields) + "}";
}

std::vector<Message> DiscoveryConfigs(const DeviceInfo& d) {
  std::string options;
  for (const std::string& text : d.stateTexts) options += (options.empty() ? "" : ",") + JsonString(text);
  const std::string binary = "\"payload_on\":\"ON\",\"payload_off\":\"OFF\"";
  // In the order of kEntities.
  const std::array<std::string, 6> bodies{
      Config(d, "state", "Állapot", "status",
             "\"value_template\":\"{{ value_json.state_text }}\",\"device_class\":\"enum\","
             "\"options\":[" + options + "]"),
      Config(d, "duty", "PWM kitöltés", "status",
             "\"value_template\":\"{{ value_json.duty_percent }}\","
             "\"unit_of_measurement\":\"%\",\"state_class\":\"measurement\""),
      Config(d, "fault", "Hiba", "status",
             "\"value_template\":\"{{ 'ON' if value_json.fault else 'OFF' }}\"," + binary +
                 ",\"device_class\":\"problem\""),
      Config(d, "charging", "Töltés", "status",
             "\"value_template\":\"{{ 'ON' if value_json.charging else 'OFF' }}\"," + binary +
                 ",\"device_class\":\"battery_charging\""),
      Config(d, "link", "Kapcsolat", "link",
             "\"payload_on\":\"up\",\"payload_off\":\"down\",\"device_class\":\"connectivity\""),
      Config(d, "firmware", "Firmware", "firmware", "\"entity_category\":\"diagnostic\""),
  };
  const std::vector<std::string> topics = DiscoveryTopics(d.nodeId);
  std::vector<Message> configs;
  for (std::size_t i = 0; i < bodies.size(); ++i) configs.push_back({topics[i], bodies[i], true, 1});
  return configs;
}

std::vector<std::string> DiscoveryTopics(const std::string& nodeId) {
  std::vector<std::string> topics;
  for (const auto& [component, object] : kEntities)
    topics.push_back("homeassistant/" + std::string(component) + "/" + nodeId + "/" + object +
                     "/config");
  return topics;
}

}  // namespace voltander::mqtt

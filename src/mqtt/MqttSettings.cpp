#include "mqtt/MqttSettings.h"

#include <charconv>

namespace voltander::mqtt {

namespace {

constexpr const char* kApp = "Voltander";
constexpr const char* kSection = "Mqtt";
constexpr int kDefaultPort = 1883;
// Stands for a key the file lacks; no one types it into a settings file.
constexpr const char* kAbsent = "\x01";

std::optional<bool> ParseFlag(const std::string& text) {
  if (text == "1") return true;
  if (text == "0") return false;
  return std::nullopt;
}

bool Flag(const std::string& text, bool fallback, const char* key,
          std::vector<std::string>& problems) {
  if (text.empty()) return fallback;
  if (const auto flag = ParseFlag(text)) return *flag;
  problems.push_back(std::string("Hibás érték (") + key + "): 0 vagy 1 lehet.");
  return fallback;
}

}  // namespace

std::string DefaultPrefix(const std::string& hostName) {
  std::string host = hostName.empty() ? "localhost" : hostName;
  for (char& c : host)
    if (c == '+' || c == '#' || c == '/') c = '_';
  return "voltander/" + host;
}

std::optional<int> ParsePort(const std::string& text) {
  int port = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (ec != std::errc() || end != text.data() + text.size() || port < 1 || port > 65535)
    return std::nullopt;
  return port;
}

bool UsablePrefix(const std::string& prefix) {
  if (prefix.empty() || prefix.find_first_of("+#") != std::string::npos) return false;
  return prefix.front() != '/' && prefix.back() != '/' && prefix.find("//") == std::string::npos;
}

MqttSettings ParseSettings(const SettingsTexts& t, const std::string& hostName,
                           std::vector<std::string>& problems) {
  MqttSettings s;
  s.enabled = Flag(t.enabled, false, "Enabled", problems);
  s.broker.host = t.host;
  s.broker.port = kDefaultPort;
  if (!t.port.empty()) {
    if (const auto port = ParsePort(t.port)) {
      s.broker.port = *port;
    } else {
      problems.push_back("Hibás port (" + t.port + "): 1 és 65535 közötti szám lehet.");
    }
  }
  s.broker.user = t.user;
  s.broker.password = t.password;
  s.prefix = DefaultPrefix(hostName);
  if (!t.prefix.empty()) {
    if (UsablePrefix(t.prefix)) {
      s.prefix = t.prefix;
    } else {
      problems.push_back("Hibás témaelőtag (" + t.prefix +
                         "): nem lehet benne +, # vagy üres szint.");
    }
  }
  s.broker.tls = Flag(t.tls, false, "Tls", problems);
  s.broker.caFile = t.caFile;
  s.discovery = Flag(t.discovery, true, "Discovery", problems);
  return s;
}

std::optional<std::string> Refusal(const MqttSettings& s) {
  if (s.enabled && s.broker.host.empty()) return "Nincs megadva a bróker címe.";
  return std::nullopt;
}

SettingsTexts ReadTexts(SettingsStore& store, bool& present) {
  present = false;
  auto get = [&](const char* key) {
    std::string value = store.get(kApp, kSection, key, kAbsent);
    if (value == kAbsent) return std::string();
    present = true;
    return value;
  };
  SettingsTexts t;
  t.enabled = get("Enabled");
  t.host = get("Host");
  t.port = get("Port");
  t.user = get("User");
  t.password = get("Password");
  t.prefix = get("Prefix");
  t.tls = get("Tls");
  t.caFile = get("CaFile");
  t.discovery = get("Discovery");
  return t;
}

void WriteSettings(SettingsStore& store, const MqttSettings& s) {
  auto put = [&](const char* key, const std::string& value) {
    store.save(kApp, kSection, key, value);
  };
  put("Enabled", s.enabled ? "1" : "0");
  put("Host", s.broker.host);
  put("Port", std::to_string(s.broker.port));
  put("User", s.broker.user);
  put("Password", s.broker.password);
  put("Prefix", s.prefix);
  put("Tls", s.broker.tls ? "1" : "0");
  put("CaFile", s.broker.caFile);
  put("Discovery", s.discovery ? "1" : "0");
}

}  // namespace voltander::mqtt

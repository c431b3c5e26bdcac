#include "service/ServiceConfig.h"

#include <charconv>
#include <cstdio>
#include <set>

namespace voltander::service {

namespace {

const std::set<std::string> kKnownKeys = {
    "Port/Device",  "Port/Name",       "Mqtt/Enabled",  "Mqtt/Host",       "Mqtt/Port",
    "Mqtt/User",    "Mqtt/Password",   "Mqtt/Prefix",   "Mqtt/Tls",        "Mqtt/CaFile",
    "Mqtt/Discovery", "History/Folder", "History/CapMB"};

// A cap in whole megabytes: at least one, and no more than a disk can hold.
constexpr std::uint64_t kLargestCapMB = 16ull * 1024 * 1024;

// "[Port] Device" for "Port/Device".
std::string Key(const std::string& path) {
  const std::size_t slash = path.find('/');
  if (slash == std::string::npos) return "[General] " + path;
  return "[" + path.substr(0, slash) + "] " + path.substr(slash + 1);
}

constexpr const char* kAbsolute = "abszolút út kell, / jellel az elején";

// "Hibás érték ([Port] Device=ttyUSB0): abszolút út kell, / jellel az elején."
std::string Damaged(const std::string& key, const std::string& value, const std::string& rule) {
  return "Hibás érték (" + key + "=" + value + "): " + rule + ".";
}

std::string Octal(unsigned mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", mode & 07777);
  return text;
}

std::string DefaultHistoryFolder(const ConfigEnvironment& env) {
  if (!env.stateDirectory.empty()) {
    // systemd lists several folders with colons when a unit names several.
    return env.stateDirectory.substr(0, env.stateDirectory.find(':'));
  }
  const std::string data = !env.dataHome.empty() && env.dataHome.front() == '/'
                               ? env.dataHome
                               : env.home + "/.local/share";
  return data + "/Voltander/voltanderd";
}

}  // namespace

std::string NameFromPath(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (name.ends_with(".conf")) name.resize(name.size() - 5);
  return name;
}

bool UsableName(const std::string& name) {
  if (name.empty() || name.size() > 64) return false;
  for (const char c : name) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!plain) return false;
  }
  return true;
}

ServiceConfig ParseServiceConfig(const ConfigFileTexts& file, const ConfigEnvironment& env,
                                 const std::string& hostName,
                                 std::vector<std::string>& problems) {
  ServiceConfig config;
  if (!file.exists) {
    problems.push_back("Nincs meg a beállításfájl: " + file.path);
    return config;
  }
  if (!file.readable) {
    problems.push_back("A beállításfájl nem olvasható: " + file.path);
    return config;
  }
  if (!file.wellFormed) problems.push_back("A beállításfájl formája hibás: " + file.path);
  for (const auto& [key, value] : file.values)
    if (!kKnownKeys.contains(key)) problems.push_back("Ismeretlen kulcs: " + Key(key));
  auto text = [&](const char* key) {
    const auto it = file.values.find(key);
    return it == file.values.end() ? std::string() : it->second;
  };

  config.device = text("Port/Device");
  if (config.device.empty()) {
    problems.push_back("Hiányzó érték ([Port] Device): a töltő soros eszközének útja kell, "
                       "például /dev/serial/by-id/...");
  } else if (config.device.front() != '/') {
    problems.push_back(Damaged("[Port] Device", config.device, kAbsolute));
  }
  const bool named = file.values.contains("Port/Name");
  config.name = named ? text("Port/Name") : NameFromPath(file.path);
  if (!UsableName(config.name)) {
    problems.push_back(Damaged(named ? "[Port] Name" : "[Port] Name, a fájl nevéből", config.name,
                               "1-64 karakter lehet: betű, számjegy, _ vagy -"));
  }

  mqtt::SettingsTexts t;
  t.enabled = text("Mqtt/Enabled");
  t.host = text("Mqtt/Host");
  t.port = text("Mqtt/Port");
  t.user = text("Mqtt/User");
  t.password = text("Mqtt/Password");
  t.prefix = text("Mqtt/Prefix");
  t.tls = text("Mqtt/Tls");
  t.caFile = text("Mqtt/CaFile");
  t.discovery = text("Mqtt/Discovery");
  std::vector<mqtt::Problem> mqttProblems;
  config.mqtt = mqtt::ParseSettings(t, hostName, mqttProblems);
  // Repaired or not, nobody would read what a service put in a value's place.
  for (const mqtt::Problem& p : mqttProblems) problems.push_back("[Mqtt] " + p.line);
  if (!t.password.empty() && (file.mode & 0004) != 0) {
    problems.push_back("Jelszó ([Mqtt] Password) egy bárki által olvasható fájlban (mód " +
                       Octal(file.mode) + "): legfeljebb 0640 lehet, például: chmod 640 " +
                       file.path);
  }

  config.historyFolder = text("History/Folder");
  if (config.historyFolder.empty()) {
    config.historyFolder = DefaultHistoryFolder(env);
  } else if (config.historyFolder.front() != '/') {
    problems.push_back(Damaged("[History] Folder", config.historyFolder, kAbsolute));
  }
  if (const std::string cap = text("History/CapMB"); !cap.empty()) {
    std::uint64_t mb = 0;
    const auto [end, ec] = std::from_chars(cap.data(), cap.data() + cap.size(), mb);
    if (ec != std::errc() || end != cap.data() + cap.size() || mb < 1 || mb > kLargestCapMB) {
      problems.push_back(Damaged("[History] CapMB", cap,
                                 "egész szám megabájtban, 1 és 16777216 között"));
    } else {
      config.capBytes = mb * 1024 * 1024;
    }
  }
  return config;
}

}  // namespace voltander::service

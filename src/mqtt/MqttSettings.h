// The broker settings in the group [Mqtt] of the settings file. A hand-edited file
// can hold anything, and each damaged value is named, key and all, in one Hungarian
// line. The keys that decide where the login goes and how (Enabled, Host, Port, Tls,
// CaFile) fail closed: the publishing stays off and the value is kept as written,
// since any default could hand the password to the wrong place or in clear. Prefix
// and Discovery are only what goes out, so they are repaired to their defaults.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Publisher.h"
#include "platform/SettingsStore.h"

namespace voltander::mqtt {

struct MqttSettings {
  bool enabled = false;
  BrokerSettings broker;  // port 0 when the file's port is damaged
  std::string prefix;     // first part of every topic
  bool discovery = true;
};

// The values as texts, as the file or the dialog holds them; absent ones are "".
struct SettingsTexts {
  std::string enabled, host, port, user, password, prefix, tls, caFile, discovery;
};

struct Problem {
  std::string key;   // "Port"
  std::string line;  // what is wrong, naming the key and the value as written
  bool repaired;     // replaced by its default; otherwise the publishing stays off
};

// The line with what follows from it, for the log and the dialog's state line.
std::string Describe(const Problem& problem);
// Whether any problem keeps the publishing off.
bool FailsClosed(const std::vector<Problem>& problems);

// "voltander/<host>", with the characters a topic level may not hold replaced.
std::string DefaultPrefix(const std::string& hostName);
// 1-65535 written as a plain number, else nothing.
std::optional<int> ParsePort(const std::string& text);
// Why the prefix cannot head the topics (Hungarian), or nothing when it can.
std::optional<std::string> PrefixFault(const std::string& prefix);

MqttSettings ParseSettings(const SettingsTexts& texts, const std::string& hostName,
                           std::vector<Problem>& problems);
// Switched on with no broker named.
std::optional<Problem> Refusal(const MqttSettings& settings);

SettingsTexts ReadTexts(SettingsStore& store);
// Every key, as the dialog keeps them.
void WriteSettings(SettingsStore& store, const MqttSettings& settings);
// Only the repaired keys, with the values in force; nothing when none was repaired.
void WriteRepaired(SettingsStore& store, const MqttSettings& settings,
                   const std::vector<Problem>& problems);

}  // namespace voltander::mqtt

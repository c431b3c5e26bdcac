// The broker settings in the group [Mqtt] of the settings file. A hand-edited file
// can hold anything; every damaged value is named in one Hungarian line and replaced
// by its default, so what is written back is always usable, and an empty host keeps
// the publishing off instead of connecting nowhere.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Publisher.h"
#include "platform/SettingsStore.h"

namespace voltander::mqtt {

struct MqttSettings {
  bool enabled = false;
  BrokerSettings broker;
  std::string prefix;  // first part of every topic
  bool discovery = true;
};

// The values as texts, as the file or the dialog holds them; absent ones are "".
struct SettingsTexts {
  std::string enabled, host, port, user, password, prefix, tls, caFile, discovery;
};

// "voltander/<host>", with the characters a topic level may not hold replaced.
std::string DefaultPrefix(const std::string& hostName);
// 1-65535 written as a plain number, else nothing.
std::optional<int> ParsePort(const std::string& text);
// No "+" or "#", no empty level, not empty.
bool UsablePrefix(const std::string& prefix);

// Damaged values become their defaults and add a line to problems.
MqttSettings ParseSettings(const SettingsTexts& texts, const std::string& hostName,
                           std::vector<std::string>& problems);
// A line when the values keep the publishing off although it is switched on.
std::optional<std::string> Refusal(const MqttSettings& settings);

// Whether the file holds the group at all, and the group read and written.
SettingsTexts ReadTexts(SettingsStore& store, bool& present);
void WriteSettings(SettingsStore& store, const MqttSettings& settings);

}  // namespace voltander::mqtt

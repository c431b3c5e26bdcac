// What the telemetry publishes, in its exact form: the topics under a base, the JSON
// texts and the Home Assistant discovery configs. Pure functions of their inputs, so
// a subscriber's view of a run can be checked against literal texts.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Journal.h"
#include "platform/Publisher.h"

namespace voltander::mqtt {

// 2026-03-01T08:00:02+01:00
std::string IsoTime(const LocalTime& t);
std::int64_t EpochSeconds(const LocalTime& t);
// A JSON string literal, quotes included.
std::string JsonString(const std::string& text);

// "<prefix>/<port>": the port's name is "comm<n>" in the window, the charger's name in
// the service.
std::string BaseTopic(const std::string& prefix, const std::string& port);
// The prefix and the port's name with every character outside [a-zA-Z0-9_-] made "_".
std::string NodeId(const std::string& prefix, const std::string& port);

std::string StatusJson(const LocalTime& time, int state, const std::string& stateText,
                       const StatusRecord& s);

// One parameter list as the window shows it and the code it stands for.
struct ShownParameter {
  std::string name;  // the list's name on the window, e.g. "Umax"
  std::string text;  // "" when nothing is selected
  int code = 0;
};
std::string ParametersJson(const std::vector<ShownParameter>& lists);

// {"time":..., "event":<event>} with fields appended, each already "key":value.
std::string EventJson(const LocalTime& time, const std::string& event,
                      const std::string& fields = {});

// Retained configs that make Home Assistant list one device with six entities.
struct DeviceInfo {
  std::string base, nodeId, host;
  std::string title;  // the port as people know it: "Comm 3", or the charger's name
  std::vector<std::string> stateTexts;  // what the state sensor can show
};
std::vector<Message> DiscoveryConfigs(const DeviceInfo& device);

}  // namespace voltander::mqtt

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
// A JSON string literal, quotes included, and always valid UTF-8: the one way every
// text gets into JSON. A byte that is not part of well-formed UTF-8 is taken as
// Latin-1, so a file or host name in a legacy encoding still reads.
std::string JsonString(const std::string& text);

// "<prefix>/<name>", name being the port's (e.g. "comm3").
std::string BaseTopic(const std::string& prefix, const std::string& name);
// Home Assistant's id for the device, from the prefix and the name, and one-to-one
// with them: "<prefix>/<name>" with [A-Za-z0-9-] kept, "/" made "_", and every other
// byte "__" and its two hex digits ("ház/comm1" gives "h__c3__a1z_comm1"). A prefix
// of [A-Za-z0-9-/] alone keeps the id it always had.
std::string NodeId(const std::string& prefix, const std::string& name);

// A state below 0 (nothing shown yet) goes out as null, never as a text outside the
// state sensor's options.
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
// Where the configs of a node id are retained; an empty retained payload there
// removes the entity.
std::vector<std::string> DiscoveryTopics(const std::string& nodeId);

}  // namespace voltander::mqtt

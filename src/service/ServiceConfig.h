// The service's one configuration file, judged before anything starts. Nobody sits in
// front of a service to read a repaired value, so where the window repairs a damaged
// setting and goes on, the service refuses to start and names every problem, each
// in one Hungarian line that names its key.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "mqtt/MqttSettings.h"

namespace voltander::service {

// The exit status of a refused configuration (sysexits' EX_CONFIG); the unit does not
// restart the service for it.
inline constexpr int kExitConfig = 78;
inline constexpr std::uint64_t kDefaultCapMB = 200;

// The file as read: every key as "Section/Key" with its text, whatever the section.
struct ConfigFileTexts {
  std::string path;  // as given on the command line
  bool exists = false;
  bool readable = false;
  bool wellFormed = true;  // the INI syntax held throughout
  unsigned mode = 0;  // the file's permission bits
  std::map<std::string, std::string> values;
};

// Where the defaults come from: the variables systemd and the user's session set.
struct ConfigEnvironment {
  std::string stateDirectory;  // $STATE_DIRECTORY
  std::string dataHome;        // $XDG_DATA_HOME
  std::string home;            // $HOME
};

struct ServiceConfig {
  std::string device;  // [Port] Device
  std::string name;    // [Port] Name
  mqtt::MqttSettings mqtt;
  std::string historyFolder;  // [History] Folder
  std::uint64_t capBytes = kDefaultCapMB * 1024 * 1024;
};

// The configuration, and the problems that refuse it (none when it may be used).
ServiceConfig ParseServiceConfig(const ConfigFileTexts& file, const ConfigEnvironment& env,
                                 const std::string& hostName, std::vector<std::string>& problems);

// "garage" for ".../garage.conf": the name a charger has when the file gives none.
std::string NameFromPath(const std::string& path);
// 1 to 64 characters, each a letter, a digit, "_" or "-".
bool UsableName(const std::string& name);

}  // namespace voltander::service

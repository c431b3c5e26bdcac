// The service's configuration file, in the INI format QSettings writes, read as it
// stands: every key with its text, the file's mode for the password rule. Judging it
// is the core's business (service/ServiceConfig.h); only the reading is Qt's.
#pragma once

#include <QSettings>
#include <QString>
#include <string>

#include "platform/SettingsStore.h"
#include "service/ServiceConfig.h"

namespace voltander {

service::ConfigFileTexts ReadConfigFile(const std::string& path);
service::ConfigEnvironment ReadEnvironment();

// One INI file as a settings store: the configuration read-only (the service never
// rewrites what its administrator wrote), or a small file of its own that it may
// write (what the publishing remembers between runs).
class IniFileStore : public SettingsStore {
 public:
  IniFileStore(const std::string& path, bool writable);
  std::string get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& fallback) override;
  void save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override;

 private:
  QSettings file_;
  const bool writable_;
};

}  // namespace voltander

// The per-user settings store: string values under application, section and key.
#pragma once

#include <string>

namespace voltander {

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The stored text, or fallback when the key is absent.
  virtual std::string get(const std::string& app, const std::string& section,
                          const std::string& key, const std::string& fallback) = 0;
  virtual void save(const std::string& app, const std::string& section, const std::string& key,
                    const std::string& value) = 0;
};

}  // namespace voltander

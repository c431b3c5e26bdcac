// The per-user settings store as an INI text file: organization "Voltander", one file
// per application name, one group per section ($XDG_CONFIG_HOME/Voltander/<app>.conf,
// ~/.config/Voltander/<app>.conf without XDG_CONFIG_HOME).
#pragma once

#include "platform/SettingsStore.h"

namespace voltander {

class QtSettingsStore : public SettingsStore {
 public:
  std::string get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& fallback) override;
  // Written through to the file at once, so a value survives whatever ends the
  // program afterwards.
  void save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override;
};

}  // namespace voltander

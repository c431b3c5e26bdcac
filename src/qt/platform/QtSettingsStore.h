// The per-user settings store as an INI text file: organization "Voltander", one file
// per application name, one group per section ($XDG_CONFIG_HOME/Voltander/<app>.conf,
// ~/.config/Voltander/<app>.conf without XDG_CONFIG_HOME). The file can hold the
// broker's password, so it is the owner's alone: the folder is made 0700, the file
// is kept 0600, and a hand-edited file that others could read is closed at once.
#pragma once

#include <set>
#include <string>

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

 private:
  // Once per file, at its first reading: a password open to the group or others is
  // closed to them, with a warning.
  void guard(const std::string& app);
  std::set<std::string> guarded_;
};

}  // namespace voltander

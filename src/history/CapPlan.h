// Keeps the session folder under its size cap: the oldest sessions go first, and the
// one being written never goes, however large it has grown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SessionFiles.h"

namespace voltander::history {

inline constexpr std::uint64_t kSessionFolderCap = 200ull * 1024 * 1024;

// Whether session a started before session b. Names are time stamps, with "-2",
// "-3"... for later sessions of the same second (which plain text order would put
// first, and "-10" before "-2").
bool StartedBefore(const std::string& a, const std::string& b);

// The names to delete, oldest first.
std::vector<std::string> SessionsToDelete(std::vector<SessionFileInfo> files, std::uint64_t cap,
                                          const std::string& current);

}  // namespace voltander::history

// Keeps the session folder under its size cap: the oldest sessions go first, and the
// one being written never goes, however large it has grown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/SessionFiles.h"

namespace voltander::history {

inline constexpr std::uint64_t kSessionFolderCap = 200ull * 1024 * 1024;

// The names to delete, oldest first. Names are time stamps, so their order is the
// sessions' order.
std::vector<std::string> SessionsToDelete(std::vector<SessionFileInfo> files, std::uint64_t cap,
                                          const std::string& current);

}  // namespace voltander::history

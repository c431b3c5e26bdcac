// Keeps the session folder under its size cap: the oldest parts go first, those of
// the session being written too, but never a part being written, here or by another
// program, however large it has grown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/SessionNames.h"
#include "platform/SessionFiles.h"

namespace voltander::history {

inline constexpr std::uint64_t kSessionFolderCap = 200ull * 1024 * 1024;

// The names to delete, oldest first, passing over `current` and the files known live.
std::vector<std::string> SessionsToDelete(std::vector<SessionFileInfo> files, std::uint64_t cap,
                                          const std::string& current);

}  // namespace voltander::history

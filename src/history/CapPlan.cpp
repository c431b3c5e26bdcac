#include "history/CapPlan.h"

#include <algorithm>

namespace voltander::history {

std::vector<std::string> SessionsToDelete(std::vector<SessionFileInfo> files, std::uint64_t cap,
                                          const std::string& current) {
  std::sort(files.begin(), files.end(), [](const SessionFileInfo& a, const SessionFileInfo& b) {
    return StartedBefore(a.name, b.name);
  });
  std::uint64_t total = 0;
  for (const SessionFileInfo& f : files) total += f.size;
  std::vector<std::string> doomed;
  for (const SessionFileInfo& f : files) {
    if (total <= cap) break;
    if (f.name == current || f.live) continue;
    doomed.push_back(f.name);
    total -= f.size;
  }
  return doomed;
}

}  // namespace voltander::history

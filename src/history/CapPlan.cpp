#include "history/CapPlan.h"

#include <algorithm>

namespace voltander::history {

namespace {

constexpr std::size_t kStamp = 19;  // "2026-03-01_08-15-00"

// The serial of a session name: 1 for "<stamp>.csv", n for "<stamp>-n.csv", and 0
// for a name of another form.
long Serial(const std::string& name) {
  if (name.size() <= kStamp) return 0;
  const std::string rest = name.substr(kStamp);
  if (rest == ".csv") return 1;
  if (rest.size() < 6 || rest.front() != '-' || !rest.ends_with(".csv")) return 0;
  long n = 0;
  for (std::size_t k = 1; k + 4 < rest.size(); ++k) {
    if (rest[k] < '0' || rest[k] > '9' || n > 1000000) return 0;
    n = n * 10 + (rest[k] - '0');
  }
  return n;
}

}  // namespace

bool StartedBefore(const std::string& a, const std::string& b) {
  const std::string stampA = a.substr(0, kStamp), stampB = b.substr(0, kStamp);
  if (stampA != stampB) return stampA < stampB;
  const long serialA = Serial(a), serialB = Serial(b);
  if (serialA != serialB) return serialA < serialB;
  return a < b;
}

std::vector<std::string> SessionsToDelete(std::vector<SessionFileInfo> files, std::uint64_t cap,
                                          const std::string& current) {
  std::sort(files.begin(), files.end(),
            [](const SessionFileInfo& a, const SessionFileInfo& b) {
              return StartedBefore(a.name, b.name);
            });
  std::uint64_t total = 0;
  for (const SessionFileInfo& f : files) total += f.size;
  std::vector<std::string> doomed;
  for (const SessionFileInfo& f : files) {
    if (total <= cap) break;
    if (f.name == current) continue;
    doomed.push_back(f.name);
    total -= f.size;
  }
  return doomed;
}

}  // namespace voltander::history

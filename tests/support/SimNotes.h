// The simulator's log notes ("# <microseconds> <what> <bytes>") tell when it did
// something on its own, such as a burst of noise; frame readers skip them, tests
// that need the moments read them here.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/SimProcess.h"

namespace voltander::test {

// Times of the notes of one kind, in epoch microseconds, in log order.
inline std::vector<std::int64_t> NoteTimesUs(const std::string& logText, const std::string& what) {
  std::vector<std::int64_t> times;
  std::istringstream lines(logText.substr(0, logText.rfind('\n') + 1));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("# ", 0) != 0) continue;
    std::istringstream in(line.substr(2));
    std::int64_t usec = 0;
    std::string kind;
    if (in >> usec >> kind && kind == what) times.push_back(usec);
  }
  return times;
}

inline std::vector<std::int64_t> NoteTimesUs(const SimProcess& sim, const std::string& what) {
  return NoteTimesUs(ReadWholeFile(sim.logPath()), what);
}

}  // namespace voltander::test

// What a serial line reports besides its bytes: the kernel's counts of line
// conditions, whether the port's settings can still be read, and a write that cannot
// drain. Kept beside the port, which raises what this finds as the link's events.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/SerialPort.h"
#include "qt/platform/LineCounters.h"

namespace voltander {

struct LineEvent {
  CommEvent event;
  std::string detail;  // for the log: the counts that moved, or the failure
};

// The device behind fd has hung up (unplugged, or the far end of a pseudo-terminal
// closed); a line that is only busy has not.
bool HungUp(int fd);

// Where the counts come from: the kernel's (ReadLineCounters) for a real line.
using CounterReader = std::function<std::optional<LineCounters>(int fd)>;

class LineWatch {
 public:
  explicit LineWatch(CounterReader read = ReadLineCounters) : read_(std::move(read)) {}
  // At each opening: what was counted before belongs to no event of ours.
  void start(int fd);
  // What happened since the last look, in the order of the link's event table.
  std::vector<LineEvent> look(int fd);
  // A write that could not drain within boundMs. Only the first since a write that
  // drained is an event, so a stuck line raises one, not one per byte.
  std::optional<LineEvent> writeStuck(int boundMs);
  void writeDrained() { stuck_ = false; }

 private:
  CounterReader read_;
  std::optional<LineCounters> counters_;
  bool stuck_ = false;
  bool settingsUnreadable_ = false;
};

}  // namespace voltander

#include "qt/platform/LineWatch.h"

#include <poll.h>
#include <termios.h>

#include <cerrno>
#include <cstring>

namespace voltander {

bool HungUp(int fd) {
  pollfd p{fd, 0, 0};
  return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void LineWatch::start(int fd) {
  counters_ = read_(fd);
  stuck_ = false;
  settingsUnreadable_ = false;
}

std::vector<LineEvent> LineWatch::look(int fd) {
  std::vector<LineEvent> events;
  // A device without counts gives nothing here, at every look.
  if (const std::optional<LineCounters> now = read_(fd)) {
    if (counters_) {
      for (const CounterEvent& e : CounterEvents(*counters_, *now)) {
        events.push_back({e.event, std::string(e.counter) + " " + std::to_string(e.before) +
                                       " -> " + std::to_string(e.after)});
      }
    }
    counters_ = now;
  }

  termios settings{};
  const int failure = tcgetattr(fd, &settings) == 0 ? 0 : errno;
  if (failure == 0) {
    settingsUnreadable_ = false;
  } else if (failure != EIO && failure != ENXIO && failure != ENODEV && !settingsUnreadable_) {
    // EIO and its kin mean the device is gone: that is the port's loss, told once.
    settingsUnreadable_ = true;
    // The table puts this before a carrier-detect change.
    const bool carrierLast = !events.empty() && events.back().event == CommEvent::CarrierDetect;
    events.insert(carrierLast ? events.end() - 1 : events.end(),
                  {CommEvent::Dcb, std::string("settings not readable: ") + strerror(failure)});
  }
  return events;
}

std::optional<LineEvent> LineWatch::writeStuck(int boundMs) {
  if (stuck_) return std::nullopt;
  stuck_ = true;
  return LineEvent{CommEvent::TxFull,
                   "write not drained within " + std::to_string(boundMs) + " ms, output dropped"};
}

}  // namespace voltander

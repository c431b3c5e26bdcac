#include "qt/platform/LineCounters.h"

namespace voltander {

std::vector<CounterEvent> CounterEvents(const LineCounters& before, const LineCounters& after) {
  struct Row {
    std::uint32_t LineCounters::*count;
    CommEvent event;
    const char* name;
  };
  static constexpr Row kRows[] = {
      {&LineCounters::brk, CommEvent::Break, "brk"},
      {&LineCounters::frame, CommEvent::Frame, "frame"},
      {&LineCounters::overrun, CommEvent::Overrun, "overrun"},
      {&LineCounters::bufOverrun, CommEvent::RxOver, "buf_overrun"},
      {&LineCounters::parity, CommEvent::RxParity, "parity"},
      {&LineCounters::dcd, CommEvent::CarrierDetect, "dcd"},
  };
  std::vector<CounterEvent> events;
  for (const Row& row : kRows) {
    const std::uint32_t was = before.*row.count;
    const std::uint32_t now = after.*row.count;
    if (was != now) events.push_back({row.event, row.name, was, now});
  }
  return events;
}

}  // namespace voltander

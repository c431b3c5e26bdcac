// The kernel counts line conditions that QSerialPort never reports: breaks, framing,
// overrun and parity errors, and carrier-detect changes. Two readings of the counts
// tell which of the link's line events happened in between.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/SerialPort.h"

namespace voltander {

struct LineCounters {
  std::uint32_t brk = 0;
  std::uint32_t frame = 0;
  std::uint32_t overrun = 0;     // the UART's receive register was overwritten
  std::uint32_t bufOverrun = 0;  // the driver's receive buffer was full
  std::uint32_t parity = 0;
  std::uint32_t dcd = 0;
};

// One counter that moved, with both readings for the log.
struct CounterEvent {
  CommEvent event;
  std::string_view counter;
  std::uint32_t before;
  std::uint32_t after;

  bool operator==(const CounterEvent&) const = default;
};

// One event per counter that differs, in the order of the link's event table. A count
// that wrapped past its top differs too, so it counts as moved.
std::vector<CounterEvent> CounterEvents(const LineCounters& before, const LineCounters& after);

// The device's counts now, or nothing when it keeps none (a pseudo-terminal, an
// adapter whose driver does not count, a system without such counts).
std::optional<LineCounters> ReadLineCounters(int fd);

}  // namespace voltander

// Two readings of the line's counts and the events between them, without hardware.
#include <gtest/gtest.h>

#include "qt/platform/LineCounters.h"

namespace voltander {
namespace {

using C = CommEvent;

TEST(CounterEvents, EachCounterThatMovedIsOneEventInTheOrderOfTheEventTable) {
  const LineCounters was{10, 20, 30, 40, ~0u, 60};  // parity at its top: wraps to 0
  const CounterEvent brk{C::Break, "brk", 10, 11}, frame{C::Frame, "frame", 20, 21},
      overrun{C::Overrun, "overrun", 30, 31}, full{C::RxOver, "buf_overrun", 40, 41},
      parity{C::RxParity, "parity", ~0u, 0}, dcd{C::CarrierDetect, "dcd", 60, 61};
  const std::pair<LineCounters, std::vector<CounterEvent>> cases[] = {
      // clang-format off
      {was, {}},
      {{11, 20, 30, 40, ~0u, 60}, {brk}},     {{10, 21, 30, 40, ~0u, 60}, {frame}},
      {{10, 20, 31, 40, ~0u, 60}, {overrun}}, {{10, 20, 30, 41, ~0u, 60}, {full}},
      {{10, 20, 30, 40, 0, 60}, {parity}},    {{10, 20, 30, 40, ~0u, 61}, {dcd}},
      {{10, 21, 30, 40, 0, 61}, {frame, parity, dcd}},
      {{11, 21, 31, 41, 0, 61}, {brk, frame, overrun, full, parity, dcd}},
      // clang-format on
  };
  for (const auto& [now, events] : cases) EXPECT_EQ(CounterEvents(was, now), events);
}

}  // namespace
}  // namespace voltander

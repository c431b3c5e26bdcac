// Two readings of the line's counts and the events between them, without hardware.
#include <gtest/gtest.h>

#include "qt/platform/LineCounters.h"

namespace voltander {
namespace {

using C = CommEvent;

TEST(CounterEvents, EachCounterThatMovedIsOneEventInTheOrderOfTheEventTable) {
  const LineCounters was{10, 20, 30, 40, 50, 60};
  const CounterEvent brk{C::Break, "brk", 10, 11}, frame{C::Frame, "frame", 20, 21},
      overrun{C::Overrun, "overrun", 30, 31}, full{C::RxOver, "buf_overrun", 40, 41},
      parity{C::RxParity, "parity", 50, 51}, dcd{C::CarrierDetect, "dcd", 60, 61};
  const std::pair<LineCounters, std::vector<CounterEvent>> cases[] = {
      // clang-format off
      {was, {}},
      {{11, 20, 30, 40, 50, 60}, {brk}},     {{10, 21, 30, 40, 50, 60}, {frame}},
      {{10, 20, 31, 40, 50, 60}, {overrun}}, {{10, 20, 30, 41, 50, 60}, {full}},
      {{10, 20, 30, 40, 51, 60}, {parity}},  {{10, 20, 30, 40, 50, 61}, {dcd}},
      {{10, 21, 30, 40, 51, 61}, {frame, parity, dcd}},
      {{11, 21, 31, 41, 51, 61}, {brk, frame, overrun, full, parity, dcd}},
      // clang-format on
  };
  for (const auto& [now, events] : cases) EXPECT_EQ(CounterEvents(was, now), events);
  // A count past its top starts again from zero: still moved.
  EXPECT_EQ(CounterEvents({4294967295u, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}),
            (std::vector<CounterEvent>{{C::Break, "brk", 4294967295u, 1}}));
}

}  // namespace
}  // namespace voltander

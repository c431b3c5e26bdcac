// Two readings of the line's counts and the events between them, and the port's
// settings that cannot be read, without hardware.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "qt/platform/LineCounters.h"
#include "qt/platform/LineWatch.h"

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

// /dev/null has no terminal settings: told once, as "7", not at every look.
TEST(LineWatch, SettingsThatCannotBeReadAreToldOnce) {
  const int fd = ::open("/dev/null", O_RDWR);
  ASSERT_GE(fd, 0);
  LineWatch watch;
  watch.start(fd);
  const std::vector<LineEvent> first = watch.look(fd);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].event, CommEvent::Dcb);
  EXPECT_EQ(first[0].detail, "settings not readable: Inappropriate ioctl for device");
  EXPECT_TRUE(watch.look(fd).empty());
  ::close(fd);
}

}  // namespace
}  // namespace voltander

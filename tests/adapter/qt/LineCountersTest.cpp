// Two readings of the line's counts and the events between them, and the port's
// settings that cannot be read, without hardware.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <optional>
#include <string>

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

// Scripted readings, one per call (start() reads too), over /dev/null, which has no
// terminal settings: each look tells what moved since the last reading there was, and
// the settings once per opening, ahead of a carrier-detect change.
TEST(LineWatch, EachLookTellsWhatMovedSinceTheLastReadingAndUnreadableSettingsOnce) {
  using Reading = std::optional<LineCounters>;
  const std::string dcb = "1011 settings not readable: Inappropriate ioctl for device";
  // clang-format off
  const struct { bool start; Reading reading; std::vector<std::string> told; } steps[] = {
      {true, LineCounters{}, {}},
      {false, LineCounters{1, 0, 0, 0, 0, 1}, {"1001 brk 0 -> 1", dcb, "5 dcd 0 -> 1"}},
      {false, LineCounters{1, 0, 0, 0, 0, 1}, {}},
      {false, std::nullopt, {}},  // no counts this time: the last reading stays
      {false, LineCounters{1, 2, 0, 0, 0, 1}, {"1004 frame 0 -> 2"}},
      {true, std::nullopt, {}},   // an opening without counts leaves nothing to compare
      {false, LineCounters{5, 5, 5, 5, 5, 5}, {dcb}},
      {false, LineCounters{5, 5, 6, 7, 5, 5}, {"1006 overrun 5 -> 6", "1008 buf_overrun 5 -> 7"}}};
  // clang-format on
  std::size_t next = 0;
  LineWatch watch([&](int) { return steps[next].reading; });
  const int fd = ::open("/dev/null", O_RDWR);
  ASSERT_GE(fd, 0);
  for (; next < std::size(steps); ++next) {
    std::vector<std::string> told;
    if (steps[next].start) watch.start(fd);
    for (const LineEvent& e : steps[next].start ? std::vector<LineEvent>{} : watch.look(fd))
      told.push_back(std::to_string(int(e.event)) + " " + e.detail);
    EXPECT_EQ(told, steps[next].told) << "step " << next;
  }
  ::close(fd);
}

// A line whose output is merely full has not hung up; one whose far end closed has.
TEST(LineWatch, OnlyALineWhoseFarEndClosedHasHungUp) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  ASSERT_EQ(fcntl(slave, F_SETFL, O_NONBLOCK), 0);
  const std::string block(4096, 'x');
  while (::write(slave, block.data(), block.size()) > 0) {
  }
  EXPECT_FALSE(HungUp(slave));
  ::close(master);
  EXPECT_TRUE(HungUp(slave));
  ::close(slave);
}

}  // namespace
}  // namespace voltander

// Readings of the line's counts and the events between them, the port's settings that
// cannot be read, and a line that hung up, without hardware.
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

// Scripted readings, one per call (start() reads too), over /dev/null, which has no
// terminal settings: each look tells every count that moved since the last reading there
// was (a count past its top wraps), in the event table's order, and the settings once
// per opening, ahead of a carrier-detect change.
TEST(LineWatch, EachLookTellsWhatMovedSinceTheLastReadingAndUnreadableSettingsOnce) {
  using Reading = std::optional<LineCounters>;
  const std::string dcb = "1011 settings not readable: Inappropriate ioctl for device";
  // clang-format off
  const struct { bool start; Reading reading; std::vector<std::string> told; } steps[] = {
      {true, LineCounters{10, 20, 30, 40, ~0u, 60}, {}},
      {false, LineCounters{11, 20, 30, 40, ~0u, 61}, {"1001 brk 10 -> 11", dcb, "5 dcd 60 -> 61"}},
      {false, LineCounters{11, 20, 30, 40, ~0u, 61}, {}},
      {false, std::nullopt, {}},  // no counts this time: the last reading stays
      {false, LineCounters{11, 21, 31, 41, 0, 61}, {"1004 frame 20 -> 21", "1006 overrun 30 -> 31",
                                                    "1008 buf_overrun 40 -> 41",
                                                    "1009 parity 4294967295 -> 0"}},
      {true, std::nullopt, {}},   // an opening without counts leaves nothing to compare
      {false, LineCounters{5, 5, 5, 5, 5, 5}, {dcb}},
      {false, LineCounters{5, 6, 5, 5, 5, 5}, {"1004 frame 5 -> 6"}}};
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

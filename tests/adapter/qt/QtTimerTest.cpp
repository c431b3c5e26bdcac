#include <gtest/gtest.h>

#include "adapter/qt/PtyFixture.h"
#include "qt/QtTimer.h"

namespace voltander {
namespace {

using test::ProcessEventsFor;

TEST(QtTimerTest, TicksOnlyWhileEnabledWithAPeriod) {
  QtTimer timer;
  int ticks = 0;
  timer.onTick = [&] { ++ticks; };
  timer.setInterval(20);
  ProcessEventsFor(80);
  EXPECT_EQ(ticks, 0) << "not enabled yet";

  timer.setEnabled(true);
  EXPECT_TRUE(test::ProcessEventsUntil([&] { return ticks >= 3; }));
  timer.setEnabled(false);
  const int stopped = ticks;
  ProcessEventsFor(80);
  EXPECT_EQ(ticks, stopped);

  // A zero period means no ticks at all rather than one per loop pass.
  timer.setInterval(0);
  timer.setEnabled(true);
  ProcessEventsFor(50);
  EXPECT_EQ(ticks, stopped);
}

}  // namespace
}  // namespace voltander

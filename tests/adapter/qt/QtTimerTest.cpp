#include <gtest/gtest.h>

#include "adapter/qt/PtyFixture.h"
#include "qt/QtTimer.h"

namespace voltander {
namespace {

using test::ProcessEventsFor;
using test::ProcessEventsUntil;

TEST(QtTimerTest, TicksOnlyWhileEnabledWithAPeriod) {
  QtTimer timer;
  int ticks = 0;
  timer.onTick = [&] { ++ticks; };
  EXPECT_GT(timer.interval(), 0) << "an early enable must not tick on every loop pass";

  timer.setInterval(20);
  ProcessEventsFor(80);
  EXPECT_EQ(ticks, 0) << "not enabled yet";

  timer.setEnabled(true);
  EXPECT_TRUE(ProcessEventsUntil([&] { return ticks >= 3; }, 3000));

  timer.setEnabled(false);
  const int stopped = ticks;
  ProcessEventsFor(80);
  EXPECT_EQ(ticks, stopped);

  // Enabled with a zero period: no ticks at all rather than one per loop pass.
  timer.setInterval(0);
  timer.setEnabled(true);
  ProcessEventsFor(50);
  EXPECT_EQ(ticks, stopped);
}

}  // namespace
}  // namespace voltander

#include <gtest/gtest.h>

#include "unit/link/LinkTestSupport.h"

namespace voltander::test {
namespace {

using Polling = LinkTest;

TEST_F(Polling, SilentControllerIsShownLostReopenedAndStillPolledAtEveryTick) {
  for (int i = 1; i <= 3; ++i) {
    const int closes = h.port.closes;
    ASSERT_TRUE(h.timer.tick());
    EXPECT_EQ(Look(f()), std::string(kNoConnection) + " Fel");
    EXPECT_FALSE(h.kozos.LiveLink);
    EXPECT_EQ(h.port.closes, closes + 1);
    EXPECT_TRUE(h.port.isOpen());
    EXPECT_EQ(h.journal.all.back(), "sent R");
    EXPECT_EQ(h.port.written.size(), 10u * i) << "a poll and nothing else";
  }
  status(50, kChargeBit | 2);
  h.timer.tick();
  EXPECT_EQ(Look(f()), "??? green Kapcsolódva Allapot Bar=50 Led State2 Fel");
  EXPECT_EQ(CountSent(h, 'R'), 4);
}

// The journal hears the openings, every frame that came, each status, and the link
// going and coming back once per change, not once per tick.
TEST_F(Polling, TheJournalHearsOpeningsRepliesAndEachChangeOfTheLink) {
  status(200, kChargeBit | 2);
  status(254, 5, 15, 170);
  h.reply('V', {'1', '2', '3', '4', '5', '6', '7'});
  h.timer.tick();
  h.port.deliver({'x', 'y', 'z'});
  h.timer.tick();
  h.timer.tick();
  h.port.openFailures[1] = {OpenError::PortInUse, 8005, "busy"};
  h.timer.tick();
  EXPECT_EQ(h.journal.events, (std::vector<std::string>{
                                  "open 1:0", "open 1:0", "got E", "status 2/200 charging 4.000",
                                  "up", "got E", "status 5/254 fault loop 4.010", "got V", "lost",
                                  "stray 3", "open 1:0", "open 1:0", "open 1:8005"}));
  EXPECT_EQ(h.journal.all[5], "sent V") << "frames that left are told too";
}

TEST_F(Polling, AClosedPortIsNotPolledAndAFailedReopenPrintsItsNumber) {
  h.port.openFailures[1] = {OpenError::Other, 8012, "not ready"};
  h.port.close();
  h.kozos.ReplySeen = true;
  EXPECT_TRUE(h.timer.tick());
  EXPECT_TRUE(h.timer.tick());
  EXPECT_TRUE(h.pause.pauses.empty()) << "no frame was even attempted";
  EXPECT_NE(f().window.printed().find("8012"), std::string::npos);
  EXPECT_FALSE(h.timer.enabled());
}

}  // namespace
}  // namespace voltander::test

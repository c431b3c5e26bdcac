#include <gtest/gtest.h>

#include "calibration/Oszto.h"
#include "unit/link/LinkTestSupport.h"

namespace voltander::test {
namespace {

// Switch stored as on; Comm 1 answered, then its adapter dropped off the bus.
struct Reconnect : LinkTest {
  void SetUp() override {
    h.settings.values["Voltander/Setup/Ujracsatlakozas"] = "1";
    LinkTest::SetUp();
    status(50, kChargeBit | 2);
    h.port.openFailures[1] = {OpenError::InvalidPort, 8002, "unplugged"};
    h.port.loseDevice();
    h.timer.tick(), h.timer.tick();
  }
};

TEST_F(Reconnect, TheUsersChoiceOfAnotherPortOrOfNoneOrThePortBackEndsTheTries) {
  f().Portok.select(4);
  EXPECT_FALSE(h.retryTimer.enabled());
  for (const bool back : {true, false}) {
    h.port.openFailures[5] = {OpenError::PortInUse, 8005, "taken"};
    h.port.loseDevice();
    h.timer.tick();
    ASSERT_TRUE(h.retryTimer.enabled()) << "a port taken meanwhile is waited out too";
    h.port.openFailures.clear();
    if (back) h.retryTimer.tick();
    if (!back) f().Portok.select(-1);
    EXPECT_EQ(h.timer.enabled(), back);
    EXPECT_FALSE(h.retryTimer.enabled());
  }
  EXPECT_TRUE(h.dialogs.shown.empty());
}

TEST_F(Reconnect, ALostPortKeepsItsChoiceAndIsTriedEveryFiveSecondsUntilRightsAreMissing) {
  EXPECT_EQ(f().Portok.selected(), 0);
  EXPECT_EQ(h.retryTimer.interval(), 5000);
  ASSERT_TRUE(h.retryTimer.tick() && !h.timer.enabled() && h.dialogs.shown.empty());
  h.port.openFailures[1] = {OpenError::Other, 70, "permission denied"};
  ASSERT_TRUE(h.retryTimer.tick());
  EXPECT_FALSE(h.retryTimer.tick() || h.timer.enabled());
  EXPECT_EQ(f().window.printed(), " 70\n");
  EXPECT_EQ(f().Portok.selected(), -1);
}

TEST_F(Reconnect, NothingIsTriedBehindTheCalibrationWindowOrTheSearchAndOffHandsBackToPolling) {
  bool triedBehind = true;
  h.dialogs.calibrationScript = [&](Oszto&) { triedBehind = h.retryTimer.enabled(); };
  f().BFesz.click();
  EXPECT_FALSE(triedBehind);
  EXPECT_TRUE(h.retryTimer.enabled());
  triedBehind = true;
  h.dialogs.whileShown = [&](const ShownMessage&) { triedBehind = h.retryTimer.enabled(); };
  f().KKereses.click();  // nor behind the controller search, which may open the device
  EXPECT_FALSE(triedBehind);
  h.dialogs.shown.clear();
  f().BUjra.click();
  EXPECT_FALSE(h.retryTimer.enabled());
  h.dialogs.whileShown = [&](const ShownMessage&) { triedBehind = h.timer.enabled(); };
  ASSERT_TRUE(h.timer.tick());
  EXPECT_EQ(h.dialogs.texts(), std::vector<std::string>{kInvalidPort});
  EXPECT_FALSE(triedBehind || h.timer.enabled());
  EXPECT_EQ(f().Portok.selected(), -1);
}

// Each try is told, and the return once, as restored: the first link came before the
// loss. Polling starts over as after a choice, with a new handshake.
TEST_F(Reconnect, AfterASuccessfulTryTheReturnIsToldOnceAndANewHandshakeRuns) {
  h.journal.events.clear();
  h.retryTimer.tick();
  h.port.openFailures.clear();
  h.retryTimer.tick();
  h.timer.tick();
  status(60, kChargeBit | 2);
  status(60, kChargeBit | 2);
  EXPECT_EQ(h.journal.events,
            (std::vector<std::string>{"open 1:8002", "open 1:0", "open 1:0", "got E",
                                      "status 2/60 charging 4.000", "restored", "got E",
                                      "status 2/60 charging 4.000"}));
  EXPECT_EQ(CountSent(h, 'V'), 2);  // one for each connection
}

}  // namespace
}  // namespace voltander::test

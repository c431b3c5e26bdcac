#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "calibration/Oszto.h"
#include "unit/link/LinkTestSupport.h"

namespace voltander::test {
namespace {

// Started on Comm 1 with the automatic re-connection stored as on, the controller
// answering.
struct Reconnect : LinkTest {
  void SetUp() override {
    h.settings.values["Voltander/Setup/Ujracsatlakozas"] = "1";
    LinkTest::SetUp();
    status(50, kChargeBit | 2);
  }
  // The adapter drops off the bus: the tick after the next finds no reply and no port.
  void unplug() {
    h.port.openFailures[1] = {OpenError::InvalidPort, 8002, "unplugged"};
    h.port.loseDevice();
    h.timer.tick();
    h.timer.tick();
  }
};

TEST_F(Reconnect, ALostPortIsTriedQuietlyEveryFiveSecondsAndPollingResumesWithAHandshake) {
  unplug();
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(Look(f()), std::string(kNoConnection) + " Fel");
  EXPECT_EQ(f().Portok.selected(), 0);
  EXPECT_FALSE(h.timer.enabled());
  EXPECT_EQ(h.retryTimer.interval(), 5000);
  ASSERT_TRUE(h.retryTimer.tick());
  h.port.openFailures.erase(1);
  ASSERT_TRUE(h.retryTimer.tick());
  EXPECT_FALSE(h.retryTimer.enabled());
  EXPECT_TRUE(h.timer.enabled());
  h.timer.tick();
  status(60, kChargeBit | 2);
  EXPECT_EQ(h.journal.all.back(), "sent V");
  EXPECT_EQ(h.journal.events,
            (std::vector<std::string>{"open 1:0", "open 1:0", "got E", "status 2/50 charging 4.000",
                                      "restored", "lost", "open 1:8002", "open 1:8002", "open 1:0",
                                      "open 1:0", "got E", "status 2/60 charging 4.000",
                                      "restored"}));
  EXPECT_TRUE(h.dialogs.shown.empty());
  f().Form_Unload();
  EXPECT_EQ(h.setting("Ujracsatlakozas"), "1");
}

TEST_F(Reconnect, TheUsersChoiceOfAnotherPortOrOfNoneEndsTheTries) {
  unplug();
  f().Portok.select(4);
  EXPECT_FALSE(h.retryTimer.enabled());
  EXPECT_EQ(h.port.portNumber(), 5);
  EXPECT_TRUE(h.timer.enabled());
  h.port.openFailures[5] = {OpenError::PortInUse, 8005, "taken"};
  h.port.loseDevice();
  h.timer.tick();
  EXPECT_TRUE(h.retryTimer.enabled()) << "a port taken meanwhile is waited out too";
  f().Portok.select(-1);
  EXPECT_FALSE(h.retryTimer.enabled());
  EXPECT_FALSE(h.timer.enabled());
  EXPECT_TRUE(h.dialogs.shown.empty());
}

TEST_F(Reconnect, MissingRightsAreReportedOnceAndEndTheTries) {
  unplug();
  h.port.openFailures[1] = {OpenError::Other, 70, "permission denied"};
  ASSERT_TRUE(h.retryTimer.tick());
  EXPECT_FALSE(h.retryTimer.tick());
  EXPECT_EQ(f().window.printed(), " 70\n");
  EXPECT_EQ(f().Portok.selected(), -1);
  EXPECT_FALSE(h.timer.enabled());
}

TEST_F(Reconnect, NothingIsTriedBehindTheCalibrationWindowOrTheControllerSearch) {
  unplug();
  bool triedBehind = false;
  h.dialogs.calibrationScript = [&](Oszto&) { triedBehind = h.retryTimer.enabled(); };
  f().BFesz.click();
  EXPECT_TRUE(h.retryTimer.enabled());
  h.dialogs.whileShown = [&](const ShownMessage&) {
    triedBehind = triedBehind || h.retryTimer.enabled();
  };
  f().KKereses.click();  // finds no device, then re-opens the port chosen before
  EXPECT_FALSE(triedBehind);
  EXPECT_EQ(h.dialogs.shown.back().text, kInvalidPort);
}

TEST_F(Reconnect, SwitchedOffWhileTryingPollingTakesOverAndReportsAsAlways) {
  unplug();
  f().BUjra.click();
  EXPECT_FALSE(h.retryTimer.enabled());
  ASSERT_TRUE(h.timer.tick());
  EXPECT_EQ(h.dialogs.texts(), std::vector<std::string>{kInvalidPort});
  EXPECT_EQ(f().Portok.selected(), -1);
}

}  // namespace
}  // namespace voltander::test

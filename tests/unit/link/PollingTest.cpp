#include <gtest/gtest.h>

#include "calibration/Oszto.h"
#include "fakes/Fakes.h"
#include "protocol/Frame.h"
#include "protocol/SendFrame.h"
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

using Bytes = std::vector<std::uint8_t>;

// Raw bytes, each followed by its pause; only a frame that left is told.
TEST(SendFrame, WritesTenRawBytesEachFollowedByAOneMillisecondPause) {
  Harness h;  // its port not opened yet
  FakeSerialPort& port = h.port;
  const Line line{port, h.pause, h.journal};
  EXPECT_FALSE(SendFrame(line, kPoll)) << "port never opened";
  port.open(1);
  std::string order;
  port.onWrite = [&](std::uint8_t) { order += 'w'; };
  h.pause.onPause = [&](int ms) { order += std::to_string(ms); };
  EXPECT_TRUE(SendFrame(line, kPoll));
  EXPECT_EQ(port.written, (Bytes{83, 82, 48, 48, 48, 48, 48, 48, 48, 84}));
  EXPECT_EQ(order, "w1w1w1w1w1w1w1w1w1w1");

  port.written.clear();
  EXPECT_TRUE(SendFrame(line, kParameterUpload, {0, 'S', 'T', 255, 1, 2, 3}));
  EXPECT_EQ(port.written, (Bytes{'S', 'I', 0, 'S', 'T', 255, 1, 2, 3, 'T'})) << "no escaping";
  port.failWritesAfter = 14;
  EXPECT_FALSE(SendFrame(line, kPoll));
  EXPECT_EQ(port.written.size(), 14u);
  EXPECT_EQ(h.journal.all, (std::vector<std::string>{"sent R", "sent I"}));
}

}  // namespace
}  // namespace voltander::test

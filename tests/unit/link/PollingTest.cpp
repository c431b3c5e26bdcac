#include <gtest/gtest.h>

#include "unit/link/LinkTestSupport.h"

namespace voltander {
namespace {

using test::CountSent;
using test::ExpectNoConnectionLook;
using test::Harness;
using test::kChargeBit;
using test::LoadWithFirstPort;
using test::StatusPayload;

const std::vector<std::uint8_t> kPollFrame{'S', 'R', '0', '0', '0', '0', '0', '0', '0', 'T'};

TEST(Polling, FirstTickShowsNoConnectionReopensAndPolls) {
  Harness h;
  LoadWithFirstPort(h);
  const int closes = h.port.closes;

  ASSERT_TRUE(h.timer.tick());

  ExpectNoConnectionLook(*h.form);
  EXPECT_EQ(h.port.closes, closes + 1);
  EXPECT_TRUE(h.port.isOpen());
  ASSERT_EQ(h.sentFrames().size(), 1u);
  EXPECT_EQ(h.sentFrames()[0], kPollFrame);
  EXPECT_FALSE(h.kozos.ReplySeen);
}

TEST(Polling, AnsweringControllerKeepsTheConnectionWithOnePollPerTick) {
  Harness h;
  LoadWithFirstPort(h);
  h.timer.tick();
  const int closesAfterFirstTick = h.port.closes;

  for (int i = 0; i < 5; ++i) {
    h.reply('E', StatusPayload(50, kChargeBit | 2));
    h.timer.tick();
    EXPECT_EQ(h.form->LED2.caption(), "Kapcsolódva");
    EXPECT_EQ(h.form->LED2.background(), kGreen);
    EXPECT_TRUE(h.kozos.LiveLink);
  }

  EXPECT_EQ(h.port.closes, closesAfterFirstTick);
  EXPECT_EQ(CountSent(h, 'R'), 6);
}

TEST(Polling, SilentControllerIsShownLostAtEveryTickAndStillPolled) {
  Harness h;
  LoadWithFirstPort(h);
  h.timer.tick();
  h.reply('E', StatusPayload(50, kChargeBit | 2));
  h.reply('V', {'2', '0', '0', '4', '0', '1', '0'});
  h.timer.tick();
  ASSERT_TRUE(h.kozos.LiveLink);
  const int closes = h.port.closes;

  for (int i = 1; i <= 3; ++i) {
    h.timer.tick();
    ExpectNoConnectionLook(*h.form);
    EXPECT_EQ(h.port.closes, closes + i);
    EXPECT_TRUE(h.port.isOpen());
  }
  EXPECT_EQ(CountSent(h, 'R'), 5);
}

TEST(Polling, FaultAndCalibrationLookSurviveALinkLoss) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('E', StatusPayload(255, kChargeBit | 5));
  ASSERT_TRUE(h.form->Hiba.visible());
  ASSERT_FALSE(h.form->Fel.enabled());
  const std::string title = h.form->window.title();

  h.timer.tick();
  h.timer.tick();

  ExpectNoConnectionLook(*h.form);
  EXPECT_TRUE(h.form->Hiba.visible());
  EXPECT_FALSE(h.form->Fel.enabled());
  EXPECT_EQ(h.form->window.title(), title);

  h.reply('E', StatusPayload(0, 1));
  EXPECT_TRUE(h.form->Fel.enabled());
}

TEST(Polling, ABadFrameCountsAsAReplyButRestartsTheHandshake) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('E', StatusPayload(50, kChargeBit | 2));
  h.timer.tick();
  const int closes = h.port.closes;

  h.port.deliver({'X', 'E', 50, 0, 0, 0, 15, 160, 18, 'T'});
  h.timer.tick();

  EXPECT_EQ(h.port.closes, closes) << "no re-opening";
  EXPECT_EQ(h.form->LED2.caption(), "Kapcsolódva");
  EXPECT_FALSE(h.kozos.LiveLink);
  h.reply('E', StatusPayload(50, kChargeBit | 2));
  EXPECT_EQ(CountSent(h, 'V'), 2);
}

TEST(Polling, AVanishedPortIsReportedOnceAndPollingStops) {
  Harness h;
  LoadWithFirstPort(h);
  h.timer.tick();
  h.reply('E', StatusPayload(50, kChargeBit | 2));
  const std::size_t sent = h.port.written.size();
  const std::size_t pauses = h.pause.pauses.size();
  h.port.openFailures[1] = {OpenError::InvalidPort, 8002, "unplugged"};
  bool timerRanDuringMessage = true;
  h.dialogs.whileShown = [&](const test::ShownMessage&) {
    timerRanDuringMessage = h.timer.enabled();
  };

  h.port.loseDevice();
  // A reply came in this period, so this tick does not re-open; it has no port to poll.
  ASSERT_TRUE(h.timer.tick());
  EXPECT_EQ(h.pause.pauses.size(), pauses);
  EXPECT_TRUE(h.dialogs.shown.empty());

  ASSERT_TRUE(h.timer.tick());
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].text, "Érvénytelen port szám! Kérem válasszon másikat!");
  EXPECT_FALSE(timerRanDuringMessage);
  EXPECT_FALSE(h.timer.enabled());
  EXPECT_EQ(h.form->Portok.selected(), -1);
  EXPECT_EQ(h.port.written.size(), sent);
  ExpectNoConnectionLook(*h.form);

  for (int i = 0; i < 3; ++i) EXPECT_FALSE(h.timer.tick());
  EXPECT_EQ(h.dialogs.shown.size(), 1u);
}

TEST(Polling, AReturningDeviceIsReopenedWithoutAMessage) {
  Harness h;
  LoadWithFirstPort(h);
  h.port.loseDevice();
  h.timer.tick();
  EXPECT_TRUE(h.port.isOpen());
  EXPECT_TRUE(h.timer.enabled());
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(h.sentFrames().back(), kPollFrame);
}

TEST(Polling, AClosedPortIsNotPolled) {
  Harness h;
  LoadWithFirstPort(h);
  h.port.openFailures[1] = {OpenError::Other, 8012, "not ready"};
  h.port.close();

  h.kozos.ReplySeen = true;
  EXPECT_TRUE(h.timer.tick());
  EXPECT_TRUE(h.pause.pauses.empty()) << "no frame was even attempted";

  // Re-opening fails with a printed number at the next tick; polling stops with it.
  EXPECT_TRUE(h.timer.tick());
  EXPECT_TRUE(h.pause.pauses.empty());
  EXPECT_NE(h.form->window.printed().find("8012"), std::string::npos);
  EXPECT_FALSE(h.timer.enabled());
}

}  // namespace
}  // namespace voltander

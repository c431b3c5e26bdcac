#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "unit/link/LinkTestSupport.h"

namespace voltander {
namespace {

using test::ExpectNoConnectionLook;
using test::Harness;
using test::LoadWithFirstPort;
using test::StatusPayload;

constexpr const char* kInvalidPort = "Érvénytelen port szám! Kérem válasszon másikat!";
constexpr const char* kPortInUse = "Foglalt port szám! Kérem válasszon másikat!";

TEST(PortChoice, EntryPositionPlusOneIsThePortNumber) {
  Harness h;
  h.form->Form_Load();
  h.form->Portok.select(0);
  EXPECT_EQ(h.port.portNumber(), 1);
  EXPECT_TRUE(h.timer.enabled());
  h.form->Portok.select(254);
  EXPECT_EQ(h.port.portNumber(), 255);
  EXPECT_EQ(h.port.opened, (std::vector<int>{1, 255}));
  EXPECT_EQ(h.port.closes, 1) << "the first port is closed before the second opens";
}

TEST(PortChoice, SwitchingPortsKeepsTheLiveLink) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('E', StatusPayload(10, 2));
  h.form->Portok.select(1);
  EXPECT_TRUE(h.kozos.LiveLink);
  EXPECT_EQ(h.form->LED2.caption(), "Kapcsolódva");
}

TEST(PortChoice, NoSelectionClosesThePortAndStopsPolling) {
  Harness h;
  LoadWithFirstPort(h);
  h.form->Portok.setSelectedSilently(-1);
  h.form->Portok_Click();
  EXPECT_FALSE(h.port.isOpen());
  EXPECT_FALSE(h.timer.enabled());
  EXPECT_TRUE(h.dialogs.shown.empty());
}

TEST(PortChoice, InvalidOrBusyPortIsRefusedWithItsMessage) {
  for (const auto& [error, code, text] : {std::tuple{OpenError::InvalidPort, 8002, kInvalidPort},
                                          std::tuple{OpenError::PortInUse, 8005, kPortInUse}}) {
    Harness h;
    LoadWithFirstPort(h);
    h.reply('E', StatusPayload(120, test::kChargeBit | 3));
    h.port.openFailures[7] = {error, code, "busy"};
    bool timerRanDuringMessage = true;
    bool tickedBehindMessage = true;
    h.dialogs.whileShown = [&](const test::ShownMessage&) {
      timerRanDuringMessage = h.timer.enabled();
      tickedBehindMessage = h.timer.tick();
    };

    h.form->Portok.select(6);

    ASSERT_EQ(h.dialogs.shown.size(), 1u) << code;
    const test::ShownMessage& m = h.dialogs.shown[0];
    EXPECT_EQ(m.text, text);
    EXPECT_EQ(m.icon, Icon::Critical);
    EXPECT_EQ(m.buttons, Buttons::Ok);
    EXPECT_EQ(m.title, "Voltander");
    EXPECT_FALSE(timerRanDuringMessage) << "the timer stops before the box goes up";
    EXPECT_FALSE(tickedBehindMessage);
    EXPECT_EQ(h.form->Portok.selected(), -1);
    EXPECT_FALSE(h.timer.enabled());
    EXPECT_FALSE(h.port.isOpen());
    ExpectNoConnectionLook(*h.form);
  }
}

TEST(PortChoice, AnyOtherOpeningErrorOnlyPrintsItsNumber) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('E', StatusPayload(120, test::kChargeBit | 3));
  h.port.openFailures[3] = {OpenError::Other, 8012, "device not ready"};

  h.form->Portok.select(2);

  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_NE(h.form->window.printed().find("8012"), std::string::npos);
  EXPECT_EQ(h.form->Portok.selected(), 2);
  EXPECT_TRUE(h.timer.enabled());
  EXPECT_TRUE(h.kozos.LiveLink);
  EXPECT_EQ(h.form->LED2.caption(), "Kapcsolódva");
  EXPECT_TRUE(h.form->State[3].enabled());
}

TEST(SerialEvents, LineErrorsShowTheirDigitAndChangeNothing) {
  const std::pair<CommEvent, const char*> cases[] = {
      {CommEvent::Break, "1"},    {CommEvent::Overrun, "3"}, {CommEvent::RxOver, "4"},
      {CommEvent::RxParity, "5"}, {CommEvent::TxFull, "6"},  {CommEvent::Dcb, "7"},
  };
  for (const auto& [event, digit] : cases) {
    Harness h;
    LoadWithFirstPort(h);
    h.reply('E', StatusPayload(10, 1));
    const int closes = h.port.closes;

    h.port.onComm(event);

    ASSERT_EQ(h.dialogs.shown.size(), 1u) << digit;
    EXPECT_EQ(h.dialogs.shown[0].text, digit);
    EXPECT_EQ(h.dialogs.shown[0].icon, Icon::None);
    EXPECT_EQ(h.dialogs.shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(h.dialogs.shown[0].title, "Voltander");
    EXPECT_TRUE(h.kozos.LiveLink) << digit;
    EXPECT_EQ(h.port.closes, closes) << digit;
    EXPECT_TRUE(h.timer.enabled()) << digit;
    EXPECT_EQ(h.beep.count, 0) << digit;
  }
}

TEST(SerialEvents, FramingErrorBeepsAndReopensWithoutAMessage) {
  Harness h;
  LoadWithFirstPort(h);
  h.port.rx = {'S', 'E', 1, 2, 3};
  const int closes = h.port.closes;
  const std::size_t openings = h.port.opened.size();

  h.port.onComm(CommEvent::Frame);

  EXPECT_EQ(h.beep.count, 1);
  EXPECT_EQ(h.port.closes, closes + 1);
  EXPECT_EQ(h.port.opened.size(), openings + 1);
  EXPECT_EQ(h.port.portNumber(), 1);
  EXPECT_TRUE(h.port.rx.empty()) << "the half frame is gone";
  EXPECT_TRUE(h.dialogs.shown.empty());
}

TEST(SerialEvents, FramingErrorOnAVanishedPortIsReportedOnce) {
  Harness h;
  LoadWithFirstPort(h);
  h.port.openFailures[1] = {OpenError::InvalidPort, 8002, "gone"};

  h.port.onComm(CommEvent::Frame);
  h.timer.tick();
  h.timer.tick();

  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].text, kInvalidPort);
  EXPECT_FALSE(h.timer.enabled());
  EXPECT_EQ(h.form->Portok.selected(), -1);
}

TEST(SerialEvents, CarrierChangeEndsTheBreakState) {
  Harness h;
  LoadWithFirstPort(h);
  h.port.onComm(CommEvent::CarrierDetect);
  EXPECT_EQ(h.port.breakCalls, (std::vector<bool>{false}));
  EXPECT_TRUE(h.dialogs.shown.empty());
}

TEST(SerialEvents, OnlyExactlyTenWaitingBytesAreParsed) {
  Harness h;
  LoadWithFirstPort(h);
  const std::vector<std::uint8_t> reply{'S', 'E', 10, 0, 0, 0, 15, 160, 2, 'T'};

  h.port.deliver({reply.begin(), reply.begin() + 6});
  EXPECT_FALSE(h.kozos.ReplySeen);
  h.port.deliver({reply.begin() + 6, reply.end()});
  EXPECT_TRUE(h.kozos.ReplySeen);
  EXPECT_TRUE(h.kozos.LiveLink);
  EXPECT_TRUE(h.port.rx.empty());
}

TEST(SerialEvents, TwentyBytesAtOnceAreLeftUntilTheTickReopens) {
  Harness h;
  LoadWithFirstPort(h);
  const std::vector<std::uint8_t> two{'S', 'E', 10, 0, 0, 0, 15, 160, 2, 'T',
                                      'S', 'E', 10, 0, 0, 0, 15, 160, 2, 'T'};

  h.port.deliver(two);

  EXPECT_FALSE(h.kozos.ReplySeen);
  EXPECT_FALSE(h.kozos.LiveLink);
  EXPECT_EQ(h.form->LED2.caption(), "");
  EXPECT_EQ(h.port.waiting(), 20);

  h.timer.tick();
  EXPECT_EQ(h.port.waiting(), 0);
  EXPECT_TRUE(h.port.isOpen());
}

}  // namespace
}  // namespace voltander

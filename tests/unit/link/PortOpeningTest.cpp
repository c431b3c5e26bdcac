#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "unit/link/LinkTestSupport.h"

namespace voltander::test {
namespace {

using PortChoice = LinkTest;
using SerialEvents = LinkTest;

TEST_F(PortChoice, EntryPositionPlusOneIsThePortAndEachChoiceStartsANewLink) {
  EXPECT_EQ(h.port.portNumber(), 1);
  status(10, 2);
  h.timer.tick(), h.timer.tick();  // a silent period: lost, and restored by the next reply
  status(10, 2);
  h.reply('V', {'2', '0', '0', '4', '0', '1'});
  const int closes = h.port.closes;
  f().Portok.select(254);
  EXPECT_EQ(h.port.portNumber(), 255);
  EXPECT_EQ(h.port.closes, closes + 1);
  EXPECT_TRUE(h.timer.enabled());
  EXPECT_FALSE(h.kozos.LiveLink);
  EXPECT_FALSE(h.kozos.ReplySeen);
  // The controller on the new port is asked for its version and parameters again, and
  // its first link is up, not restored.
  status(10, 2);
  EXPECT_EQ(CountSent(h, 'V'), 3);
  std::vector<std::string> told;
  for (const std::string& e : h.journal.events)
    if (e == "up" || e == "lost" || e == "restored") told.push_back(e);
  EXPECT_EQ(told, (std::vector<std::string>{"up", "lost", "restored", "up"}));

  f().Portok.setSelectedSilently(-1);
  f().link.Portok_Click();
  EXPECT_FALSE(h.port.isOpen());
  EXPECT_FALSE(h.timer.enabled());
  EXPECT_TRUE(h.dialogs.shown.empty());
}

TEST_F(PortChoice, InvalidOrBusyPortIsRefusedWithItsMessageWhilePollingIsStopped) {
  for (const auto& [error, code, text] : {std::tuple{OpenError::InvalidPort, 8002, kInvalidPort},
                                          std::tuple{OpenError::PortInUse, 8005, kPortInUse}}) {
    SCOPED_TRACE(code);
    f().Portok.select(0);
    status(120, kChargeBit | 3);
    h.dialogs.shown.clear();
    h.port.openFailures[7] = {error, code, "busy"};
    bool tickedBehindMessage = true;
    h.dialogs.whileShown = [&](const ShownMessage&) { tickedBehindMessage = h.timer.tick(); };

    f().Portok.select(6);

    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].text, text);
    EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
    EXPECT_FALSE(tickedBehindMessage) << "the timer stops before the box goes up";
    EXPECT_EQ(f().Portok.selected(), -1);
    EXPECT_FALSE(h.timer.enabled());
    EXPECT_FALSE(h.port.isOpen());
    EXPECT_EQ(Look(f()), std::string(kNoConnection) + " Fel");
  }
}

TEST_F(PortChoice, AnyOtherOpeningErrorOnlyPrintsItsNumber) {
  status(120, kChargeBit | 3);
  h.port.openFailures[3] = {OpenError::Other, 8012, "device not ready"};
  f().Portok.select(2);
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_NE(f().window.printed().find("8012"), std::string::npos);
  EXPECT_EQ(f().Portok.selected(), 2);
  EXPECT_TRUE(h.timer.enabled());
  EXPECT_FALSE(h.kozos.LiveLink);
  EXPECT_EQ(Look(f()), "??? green Kapcsolódva Allapot Bar=120 Led State3 Fel");
}

// Each reaction and nothing else: no frame, no change of the link or of polling.
TEST_F(SerialEvents, EachLineEventShowsItsDigitOrBeepsAndReopensOrEndsTheBreak) {
  status(10, 1);
  const struct {
    CommEvent event;
    const char* box;
    int beepsAndReopens;
    std::vector<bool> breaks;
  } cases[] = {
      {CommEvent::Break, "1", 0, {}},    {CommEvent::Frame, nullptr, 1, {}},
      {CommEvent::Overrun, "3", 0, {}},  {CommEvent::RxOver, "4", 0, {}},
      {CommEvent::RxParity, "5", 0, {}}, {CommEvent::TxFull, "6", 0, {}},
      {CommEvent::Dcb, "7", 0, {}},      {CommEvent::CarrierDetect, nullptr, 0, {false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.event));
    h.dialogs.shown.clear();
    h.port.breakCalls.clear();
    const int beeps = h.beep.count, closes = h.port.closes;
    const std::size_t sent = h.port.written.size();
    h.port.onComm(c.event);
    EXPECT_EQ(h.dialogs.texts(),
              c.box ? std::vector<std::string>{c.box} : std::vector<std::string>{});
    for (const ShownMessage& box : h.dialogs.shown)
      EXPECT_EQ(std::tuple(box.icon, box.buttons, box.title),
                std::tuple(Icon::None, Buttons::Ok, "Voltander"));
    EXPECT_EQ(h.beep.count - beeps, c.beepsAndReopens);
    EXPECT_EQ(h.port.closes - closes, c.beepsAndReopens);
    EXPECT_EQ(h.port.breakCalls, c.breaks);
    EXPECT_EQ(h.port.written.size(), sent);
    EXPECT_TRUE(h.kozos.LiveLink && h.timer.enabled() && h.port.isOpen());
  }
}

// A noisy line must not stack one modal box on another without end.
TEST_F(SerialEvents, ALineErrorBehindAnOpenLineErrorBoxStacksNoSecondBox) {
  h.dialogs.whileShown = [&](const ShownMessage&) { h.port.onComm(CommEvent::RxParity); };
  h.port.onComm(CommEvent::Overrun);
  h.port.onComm(CommEvent::Break);
  EXPECT_EQ(h.dialogs.texts(), (std::vector<std::string>{"3", "1"}));
}

TEST_F(SerialEvents, OnlyExactlyTenWaitingBytesAreParsed) {
  const std::vector<std::uint8_t> reply{'S', 'E', 10, 0, 0, 0, 15, 160, 2, 'T'};
  h.port.deliver({reply.begin(), reply.begin() + 6});
  EXPECT_FALSE(h.kozos.ReplySeen);
  h.port.deliver({reply.begin() + 6, reply.end()});
  EXPECT_TRUE(h.kozos.ReplySeen);
  EXPECT_TRUE(h.kozos.LiveLink);
  EXPECT_TRUE(h.port.rx.empty());

  // Two replies at once are left alone until a tick without a reply re-opens the port.
  h.kozos.ReplySeen = false;
  h.kozos.LiveLink = false;
  std::vector<std::uint8_t> two = reply;
  for (const std::uint8_t b : reply) two.push_back(b);
  h.port.deliver(two);
  EXPECT_FALSE(h.kozos.ReplySeen);
  EXPECT_EQ(h.port.waiting(), 20);
  h.timer.tick();
  EXPECT_EQ(h.port.waiting(), 0);
  EXPECT_TRUE(h.port.isOpen());
}

}  // namespace
}  // namespace voltander::test

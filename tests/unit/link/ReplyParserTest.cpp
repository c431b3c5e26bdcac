#include <gtest/gtest.h>

#include "common/Version.h"
#include "link/StoredParameters.h"
#include "unit/link/LinkTestSupport.h"

namespace voltander::test {
namespace {

using StatusReply = LinkTest;
using Handshake = LinkTest;
using BadFrame = LinkTest;
using StoredParameters = LinkTest;

TEST_F(StatusReply, DutyFaultChargeAndStateAreShown) {
  const struct {
    std::uint8_t duty, b8;
    const char* look;  // after "??? green Kapcsolódva Allapot "
  } cases[] = {{200, 18, "Bar=200 Led State2 Fel"},
               {254, kChargeBit | 1, "Bar=255 Hiba Led State1 Fel"},
               {254, 1, "Bar=0 Hiba State1 Fel"},
               {255, kChargeBit | 3, "Bar=255 Hiba Led State3 Fel"},
               {253, kChargeBit | 4, "Bar=253 Led State4 Fel"},
               {100, 0, "Bar=0 State0 Fel"},
               {'T', 'S', "Bar=84 Led State3 Fel"},  // "T" and "S" in the payload are data
               {77, 0xE0 | kChargeBit | 2, "Bar=77 Led State2 Fel"},
               {90, kChargeBit | 5, "Bar=90 Led Kall"},
               {0, 1, "Bar=0 State1 Fel"}};  // the calibration loop ends
  for (const auto& c : cases) {
    status(c.duty, c.b8);
    EXPECT_EQ(Look(f()), std::string("??? green Kapcsolódva Allapot ") + c.look);
  }
}

TEST_F(StatusReply, ADifferentRatioIsTakenOverOnceWithABeepAndAnImpossibleOneIgnored) {
  f().Umax.select(26);  // row 28: the ratio times 0.4166 V
  status(0, 2, 200, 0);  // high byte 128 or more: no ratio
  status(0, 2, 15, 160);
  EXPECT_EQ(h.beep.count, 0);
  EXPECT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_EQ(f().Umax.text(26), "1.666 V*");

  status(0, 2, 15, 170);
  EXPECT_EQ(h.beep.count, 1);
  EXPECT_EQ(h.kozos.DividerRatio, static_cast<float>(4010 / 1000.0));
  EXPECT_EQ(f().Umax.text(26), "1.671 V*");
  EXPECT_EQ(f().Umax.selected(), 26);

  status(0, 2, 15, 170);
  EXPECT_EQ(h.beep.count, 1);
}

TEST_F(Handshake, EachConnectionAsksForVersionAndParametersOnce) {
  status(0, 2);
  status(0, 2);
  EXPECT_EQ(CountSent(h, 'V'), 1);
  EXPECT_EQ(CountSent(h, 'O'), 0);

  h.reply('V', {'2', '0', '0', '4', '0', '1', '9'});
  EXPECT_EQ(f().AMVerzio.text(), "V200401");
  EXPECT_EQ(h.journal.all.back(), "sent O");
  EXPECT_EQ(CountSent(h, 'O'), 1);

  h.timer.tick();
  h.timer.tick();  // silent period: link lost
  status(0, 2);
  EXPECT_EQ(CountSent(h, 'V'), 2);
}

TEST_F(BadFrame, LeavesTheDisplayClearsTheLiveLinkAndTheVersionReplyThenAsksNothing) {
  status(40, kChargeBit | 4);
  const std::string look = Look(f());
  const std::size_t sent = h.port.written.size();
  h.port.deliver({'T', 'E', 200, 0, 0, 0, 15, 170, 5, 'S'});
  EXPECT_FALSE(h.kozos.LiveLink);
  EXPECT_EQ(Look(f()), look);
  EXPECT_EQ(h.kozos.DividerRatio, 4.0f);

  h.reply('V', {'3', '1', 0xE9, 0x7F, 0x80, '0', '0'});
  EXPECT_EQ(f().AMVerzio.text(),
            "V31\xC3\xA9\x7F\xC2\x80"
            "0")
      << "a high byte becomes valid text";
  EXPECT_EQ(h.port.written.size(), sent) << "no \"O\" without a live link";
}

TEST_F(BadFrame, AFrameCutShortIsDroppedAndTheBreakReleased) {
  status(0, 2);
  h.port.rx = {'S', 'E', 1, 0, 0, 0, 15, 160, 2};
  f().link.ParseReply();
  EXPECT_FALSE(h.kozos.LiveLink);
  EXPECT_EQ(h.port.breakCalls, (std::vector<bool>{false}));
  EXPECT_EQ(f().Bar.value(), 0);
}

TEST_F(BadFrame, AnUnknownLetterOnlyRefreshesTheConnectionDisplay) {
  h.timer.tick();
  const std::size_t sent = h.port.written.size();
  h.reply('Q', {99, 0, 0, 0, 20, 0, kChargeBit | 3});
  EXPECT_EQ(Look(f()), "??? green Kapcsolódva Allapot Bar=0 Fel");
  EXPECT_FALSE(h.kozos.LiveLink);
  EXPECT_EQ(h.port.written.size(), sent);
}

TEST_F(StoredParameters, SelectTheControllersValuesInAllSevenListsAndKeepWhatNamesNoEntry) {
  for (ListBox* list : f().lists.all()) list->setBackground(kLightRed);

  // Umin level 2, Umax level 22, Igyors step 5, Inormal step 2, then 1-based positions.
  h.reply('O', {178, 190, 165, 162, 3, 10, 1});

  EXPECT_EQ(h.selections(), (std::vector<int>{0, 20, 4, 1, 2, 9, 0}));
  EXPECT_EQ(f().window.title(), StartupTitle() + " (*Kontroller*)");
  // Each list's own handler ran: the four value lists lost their mark.
  for (ListBox* list : {&f().Umin, &f().Umax, &f().Igyors, &f().Inormal})
    EXPECT_EQ(list->background(), std::nullopt);
  EXPECT_TRUE(h.port.written.empty()) << "the reply asks nothing further";

  // Level 28 carries level 2's code with bit 4 cleared; level 32 shares level 6's code,
  // so the lower level wins.
  h.reply('O', {178 & 0xEF, 144, 175, 161, 255, 255, 255});
  EXPECT_EQ(h.selections(), (std::vector<int>{26, 4, 14, 0, 254, 254, 254}));

  h.reply('O', {190, 190, 165, 165, 5, 5, 5});
  // Level 0 has no entry: kept; level 1 and current step 0: no selection; unknown: kept;
  // position 0: no selection.
  h.reply('O', {176, 177, 160, 7, 0, 0, 0});
  EXPECT_EQ(h.selections(), (std::vector<int>{20, -1, -1, 4, -1, -1, -1}));
  // A position past a shorter list names nothing, so the selection is kept.
  EXPECT_EQ(PositionForOrdinal(3, 3), 2);
  EXPECT_EQ(PositionForOrdinal(4, 3), std::nullopt);
}

}  // namespace
}  // namespace voltander::test

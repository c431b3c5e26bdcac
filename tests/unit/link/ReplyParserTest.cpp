#include <gtest/gtest.h>

#include "common/Version.h"
#include "unit/link/LinkTestSupport.h"

namespace voltander {
namespace {

using test::CountSent;
using test::Harness;
using test::kChargeBit;
using test::LoadWithFirstPort;
using test::StatusPayload;

struct StatusCase {
  std::uint8_t duty;
  std::uint8_t b8;
  int bar;
  bool fault;
  bool charging;
  int litState;  // -1: none lit
  bool calibrationLoop;
  bool uploadEnabled;
};

TEST(StatusReply, DutyFaultChargeAndStateAreShown) {
  const StatusCase cases[] = {
      {200, 18, 200, false, true, 2, false, true},
      {254, kChargeBit | 1, 255, true, true, 1, false, true},
      {254, 1, 0, true, false, 1, false, true},
      {255, kChargeBit | 3, 255, true, true, 3, false, true},
      {253, kChargeBit | 4, 253, false, true, 4, false, true},
      // "T" and "S" inside the payload are plain bytes: duty 84, charging, state 3.
      {'T', 'S', 'T', false, true, 3, false, true},
      {100, 0, 0, false, false, 0, false, true},
      {77, 0xE0 | kChargeBit | 2, 77, false, true, 2, false, true},
      {90, kChargeBit | 5, 90, false, true, -1, true, false},
  };
  for (const StatusCase& c : cases) {
    Harness h;
    LoadWithFirstPort(h);
    h.reply('E', StatusPayload(c.duty, c.b8));
    const Folap& f = *h.form;
    const auto where = ::testing::Message() << "duty " << int(c.duty) << " b8 " << int(c.b8);
    EXPECT_EQ(f.Bar.value(), c.bar) << where;
    EXPECT_EQ(f.Hiba.visible(), c.fault) << where;
    EXPECT_EQ(f.Led.enabled(), c.charging) << where;
    for (int i = 0; i < 5; ++i) EXPECT_EQ(f.State[i].enabled(), i == c.litState) << where << i;
    EXPECT_EQ(f.Kall.visible(), c.calibrationLoop) << where;
    EXPECT_EQ(f.Fel.enabled(), c.uploadEnabled) << where;
    EXPECT_TRUE(f.Allapot.enabled()) << where;
    EXPECT_EQ(f.LED2.background(), kGreen) << where;
    EXPECT_EQ(f.LED2.caption(), "Kapcsolódva") << where;
  }
}

TEST(StatusReply, CalibrationLoopEndsWithTheNextOrdinaryState) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('E', StatusPayload(0, 5));
  ASSERT_TRUE(h.form->Kall.visible());
  h.reply('E', StatusPayload(0, 1));
  EXPECT_FALSE(h.form->Kall.visible());
  EXPECT_TRUE(h.form->Fel.enabled());
  EXPECT_TRUE(h.form->State[1].enabled());
}

TEST(StatusReply, UnknownStateKeepsTheStateLookButAppliesTheRest) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('E', StatusPayload(0, 5));
  h.port.deliver({'X', 'E', 0, 0, 0, 0, 0, 0, 0, 'T'});
  ASSERT_FALSE(h.kozos.LiveLink);

  h.reply('E', StatusPayload(250, kChargeBit | 9, 15, 170));

  for (const Label& s : h.form->State) EXPECT_FALSE(s.enabled());
  EXPECT_TRUE(h.form->Kall.visible());
  EXPECT_FALSE(h.form->Fel.enabled());
  EXPECT_EQ(h.form->Bar.value(), 250);
  EXPECT_TRUE(h.form->Led.enabled());
  EXPECT_FLOAT_EQ(h.kozos.DividerRatio, 4.01f);
  EXPECT_EQ(CountSent(h, 'V'), 2);
}

TEST(StatusReply, ADifferentRatioIsTakenOverOnceWithABeep) {
  Harness h;
  LoadWithFirstPort(h);
  h.form->Umax.select(26);
  const std::string before = h.form->Umax.text(26);

  h.reply('E', StatusPayload(0, 2, 15, 160));
  EXPECT_EQ(h.beep.count, 0);
  EXPECT_EQ(h.form->Umax.text(26), before);

  h.reply('E', StatusPayload(0, 2, 15, 170));
  EXPECT_EQ(h.beep.count, 1);
  EXPECT_EQ(h.kozos.DividerRatio, static_cast<float>(4010 / 1000.0));
  EXPECT_NE(h.form->Umax.text(26), before);
  EXPECT_EQ(h.form->Umax.selected(), 26);

  h.reply('E', StatusPayload(0, 2, 15, 170));
  EXPECT_EQ(h.beep.count, 1);
}

TEST(StatusReply, ARatioHighByteOf128OrMoreIsIgnored) {
  Harness h;
  LoadWithFirstPort(h);
  const std::string before = h.form->Umax.text(26);

  h.reply('E', StatusPayload(120, kChargeBit | 3, 200, 0));

  EXPECT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_EQ(h.beep.count, 0);
  EXPECT_EQ(h.form->Umax.text(26), before);
  EXPECT_EQ(h.form->Bar.value(), 120);
  EXPECT_TRUE(h.form->State[3].enabled());
  EXPECT_EQ(CountSent(h, 'V'), 1);
}

TEST(Handshake, EachConnectionAsksForVersionAndParametersOnce) {
  Harness h;
  LoadWithFirstPort(h);

  h.reply('E', StatusPayload(0, 2));
  h.reply('E', StatusPayload(0, 2));
  EXPECT_EQ(CountSent(h, 'V'), 1);
  EXPECT_EQ(CountSent(h, 'O'), 0);

  h.reply('V', {'2', '0', '0', '4', '0', '1', '9'});
  EXPECT_EQ(h.form->AMVerzio.text(), "V200401");
  EXPECT_EQ(CountSent(h, 'O'), 1);
  EXPECT_EQ(h.sentFrames().back(),
            (std::vector<std::uint8_t>{'S', 'O', '0', '0', '0', '0', '0', '0', '0', 'T'}));

  h.timer.tick();
  h.timer.tick();  // silent period: link lost
  h.reply('E', StatusPayload(0, 2));
  EXPECT_EQ(CountSent(h, 'V'), 2);
}

TEST(Handshake, VersionAfterABadFrameIsShownButAsksNothing) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('E', StatusPayload(0, 2));
  h.port.deliver({'S', 'E', 0, 0, 0, 0, 15, 160, 2, 'X'});
  ASSERT_FALSE(h.kozos.LiveLink);

  h.reply('V', {'3', '1', '0', '0', '0', '0', '0'});

  EXPECT_EQ(h.form->AMVerzio.text(), "V310000");
  EXPECT_EQ(CountSent(h, 'O'), 0);
}

TEST(Handshake, HighVersionBytesBecomeValidText) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('V', {'1', 0xE9, '0', '0', '0', '0', '0'});
  EXPECT_EQ(h.form->AMVerzio.text(),
            "V1\xC3\xA9"
            "0000");
}

TEST(BadFrame, LeavesTheDisplayAndClearsTheLiveLink) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('E', StatusPayload(40, kChargeBit | 4));
  ASSERT_TRUE(h.kozos.LiveLink);
  const std::size_t sent = h.port.written.size();

  h.port.deliver({'T', 'E', 200, 0, 0, 0, 15, 170, 5, 'S'});

  EXPECT_FALSE(h.kozos.LiveLink);
  EXPECT_TRUE(h.kozos.ReplySeen);
  EXPECT_EQ(h.form->Bar.value(), 40);
  EXPECT_TRUE(h.form->State[4].enabled());
  EXPECT_FALSE(h.form->Kall.visible());
  EXPECT_EQ(h.form->LED2.caption(), "Kapcsolódva");
  EXPECT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_EQ(h.port.written.size(), sent);
}

TEST(BadFrame, AFrameCutShortIsDroppedAndTheBreakReleased) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('E', StatusPayload(0, 2));
  h.port.rx = {'S', 'E', 1, 0, 0, 0, 15, 160, 2};

  h.form->ParseReply();

  EXPECT_FALSE(h.kozos.LiveLink);
  EXPECT_EQ(h.port.breakCalls, (std::vector<bool>{false}));
  EXPECT_EQ(h.form->Bar.value(), 0);
}

TEST(OtherLetter, OnlyRefreshesTheConnectionDisplay) {
  Harness h;
  LoadWithFirstPort(h);
  h.timer.tick();
  const std::size_t sent = h.port.written.size();

  h.reply('Q', StatusPayload(99, kChargeBit | 3, 20, 0));

  EXPECT_EQ(h.form->LED2.caption(), "Kapcsolódva");
  EXPECT_TRUE(h.form->Allapot.enabled());
  EXPECT_FALSE(h.kozos.LiveLink);
  EXPECT_EQ(h.form->Bar.value(), 0);
  EXPECT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_EQ(h.port.written.size(), sent);
}

TEST(StoredParameters, SelectTheControllersValuesInAllSevenLists) {
  Harness h;
  LoadWithFirstPort(h);
  for (ListBox* list : h.form->parameterLists()) list->setBackground(kLightRed);

  // Umin level 2, Umax level 22, Igyors step 5, Inormal step 2, then 1-based positions.
  h.reply('O', {178, 190, 165, 162, 3, 10, 1});

  EXPECT_EQ(h.form->Umin.selected(), 0);
  EXPECT_EQ(h.form->Umax.selected(), 20);
  EXPECT_EQ(h.form->Igyors.selected(), 4);
  EXPECT_EQ(h.form->Inormal.selected(), 1);
  EXPECT_EQ(h.form->Tkarbantarto.selected(), 2);
  EXPECT_EQ(h.form->Thiszt.selected(), 9);
  EXPECT_EQ(h.form->Minta.selected(), 0);
  EXPECT_EQ(h.form->window.title(), StartupTitle() + " (*Kontroller*)");
  // Each list's own handler ran: the four value lists lost their mark.
  for (ListBox* list : {&h.form->Umin, &h.form->Umax, &h.form->Igyors, &h.form->Inormal}) {
    EXPECT_EQ(list->background(), std::nullopt);
  }
  EXPECT_TRUE(h.port.written.empty()) << "the reply asks nothing further";
}

TEST(StoredParameters, CodesThatNameNoEntry) {
  Harness h;
  LoadWithFirstPort(h);
  h.reply('O', {190, 190, 165, 165, 5, 5, 5});

  // Level 0 has no entry: kept; level 1 and current step 0: no selection; unknown: kept.
  h.reply('O', {176, 177, 160, 7, 0, 0, 0});

  EXPECT_EQ(h.form->Umin.selected(), 20);
  EXPECT_EQ(h.form->Umax.selected(), -1);
  EXPECT_EQ(h.form->Igyors.selected(), -1);
  EXPECT_EQ(h.form->Inormal.selected(), 4);
  EXPECT_EQ(h.form->Tkarbantarto.selected(), -1);
  EXPECT_EQ(h.form->Thiszt.selected(), -1);
  EXPECT_EQ(h.form->Minta.selected(), -1);
}

TEST(StoredParameters, ADividedLevelIsFoundByItsClearedCode) {
  Harness h;
  LoadWithFirstPort(h);
  // Level 28 carries the code of level 2 with bit 4 cleared; level 32 shares level 6's
  // code, so the lower level wins.
  h.reply('O', {178 & 0xEF, 144, 175, 161, 255, 255, 255});
  EXPECT_EQ(h.form->Umin.selected(), 26);
  EXPECT_EQ(h.form->Umax.selected(), 4);
  EXPECT_EQ(h.form->Igyors.selected(), 14);
  EXPECT_EQ(h.form->Inormal.selected(), 0);
  EXPECT_EQ(h.form->Tkarbantarto.selected(), 254);
}

}  // namespace
}  // namespace voltander

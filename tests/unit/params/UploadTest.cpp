#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "fakes/Fakes.h"
#include "params/Assistant.h"
#include "params/StepTables.h"
#include "params/UploadFrame.h"

namespace voltander {
namespace {

using Bytes = std::vector<std::uint8_t>;

const char* kNoLink =
    "Nincs kapcsolat az Voltanderrel!\r\nFeltöltés csak élő adatkapcsolat mellett lehetséges!";
const char* kDone = "Az adatok feltöltése megtörtént!";

// A started window on an open port with a live link, the poll running, the assistant off.
struct Upload : ::testing::Test {
  void SetUp() override {
    h.form->Form_Load();
    h.port.open(1);
    h.timer.setEnabled(true);
    h.kozos.LiveLink = true;
    h.form->BAssis.setChecked(false);
  }
  // Umin, Umax, Igyors, Inormal, Tkarbantarto, Thiszt, Minta.
  void upload(const std::vector<int>& p = {0, 25, 14, 4, 0, 9, 0}) {
    h.select(p);
    h.form->Fel.click();
  }
  test::Harness h;
};

// No poll may slip in between the bytes of the upload.
TEST_F(Upload, SendsTheSetInControllerOrderWithThePollHeldAndConfirms) {
  std::vector<bool> timerDuringSend;
  h.pause.onPause = [&](int) {
    timerDuringSend.push_back(h.timer.enabled());
    h.timer.tick();  // a tick due now must not fire
  };
  upload();
  EXPECT_EQ(h.port.written, (Bytes{'S', 'I', 178, 159, 175, 165, 1, 10, 1, 'T'}));
  EXPECT_EQ(timerDuringSend, std::vector<bool>(10, false));
  EXPECT_TRUE(h.timer.enabled());
  EXPECT_EQ(h.journal.events.back(), "upload 178 159 175 165 1 10 1");
  EXPECT_EQ(h.dialogs.texts(), std::vector<std::string>{kDone});
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Information);

  // Row 53, row 28, no current (row 0), row 1, 255 days - 1, no time, 255 s.
  h.port.written.clear();
  upload({51, 26, -1, 0, 254, -1, 254});
  EXPECT_EQ(h.port.written, (Bytes{'S', 'I', 143, 162, 160, 161, 255, 0, 255, 'T'}));
  // Positions no list can hold go out like no selection.
  const Payload outside =
      UploadPayload({52, -2, 15, -9, 255, 300, -3}, h.kozos.VoltageSteps, h.kozos.CurrentSteps);
  EXPECT_EQ(outside, (Payload{177, 177, 160, 160, 0, 0, 0}));
}

// The two ladders of the controller interleave; each undivided row has its own code.
TEST_F(Upload, EachUndividedVoltageGoesOutAsItsControllerCode) {
  const std::uint8_t codes[] = {178, 179, 180, 181, 144, 145, 183, 146, 184, 147, 148, 149, 186,
                                150, 187, 151, 152, 153, 189, 154, 190, 155, 156, 157, 158, 159};
  for (int p = 0; p < 26; ++p) {
    h.port.written.clear();
    upload({p, p, 14, 4, 0, 9, 0});
    ASSERT_EQ(h.port.written.size(), 10u);
    EXPECT_EQ(Bytes(h.port.written.begin() + 2, h.port.written.begin() + 4),
              (Bytes{codes[p], codes[p]}))
        << h.form->Umax.text(static_cast<std::size_t>(p));
  }
}

TEST_F(Upload, AssistantReportComesFirstAndARefusalSendsNothingOverALiveLink) {
  h.form->BAssis.setChecked(true);
  const int timerChanges = h.timer.enableChanges;
  upload({-1, -1, -1, -1, -1, -1, -1});
  EXPECT_TRUE(h.port.written.empty());
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_TRUE(h.dialogs.shown[0].text.ends_with("MEGTAGADVA!"));
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
  EXPECT_EQ(h.timer.enableChanges, timerChanges);

  // The next attempt starts allowed again; the report is shown before anything goes.
  std::size_t writtenDuringReport = 99;
  h.dialogs.whileShown = [&](const test::ShownMessage& m) {
    if (m.text.starts_with("Akku")) writtenDuringReport = h.port.written.size();
  };
  upload();
  ASSERT_EQ(h.dialogs.shown.size(), 3u);
  EXPECT_EQ(h.dialogs.shown[1].icon, Icon::Information);
  EXPECT_EQ(h.dialogs.shown[2].text, kDone);
  EXPECT_EQ(writtenDuringReport, 0u);
  EXPECT_EQ(h.port.written.size(), 10u);
}

TEST_F(Upload, WithoutALinkOrWithAPortLostDuringTheSendOnlyNoConnectionIsShown) {
  h.kozos.LiveLink = false;
  upload();
  EXPECT_TRUE(h.port.written.empty());
  h.kozos.LiveLink = true;
  h.port.failWritesAfter = 4;
  upload();
  h.port.close();  // the link flag has not caught up yet
  upload();
  EXPECT_EQ(h.dialogs.texts(), (std::vector<std::string>{kNoLink, kNoLink, kNoLink}));
  EXPECT_TRUE(h.journal.events.empty()) << "no upload told that did not leave";
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
}

using P = ParameterSet;

// Umax above Umin, Igyors above Inormal, every time in its "right" band.
P Sensible() { return {25, 0, 14, 4, 9, 4, 29}; }

// The rule lines between the heading's empty line and the verdict's.
std::vector<std::string> RuleLines(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t pos = report.find("\r\n\r\n") + 4;
  for (std::size_t end; (end = report.find("\r\n", pos)) != pos && end != std::string::npos;
       pos = end + 2)
    lines.push_back(report.substr(pos, end - pos));
  return lines;
}

TEST(Assistant, ReportOfASensibleSetReadsLineForLine) {
  const AssistantVerdict v = AssessParameters(Sensible());
  EXPECT_TRUE(v.allowed);
  EXPECT_EQ(v.report,
            "Akku Aszisztens jelentés:\r\n\r\n"
            "Küszöbfeszültségek aránya HELYES.\r\n"
            "A töltő áramok aránya HELYES.\r\n"
            "A Hiszterézis ideje megfelelő.\r\n"
            "A Mintavételezés ideje megfelelő.\r\n"
            "A Karbantartás időpontja megfelelő.\r\n"
            "\r\n"
            "Adatok feltöltése engedélyezve!");
}

// Each group changes only its own line(s) of the sensible report; warnings never refuse.
TEST(Assistant, EachGroupGivesItsLinesAtTheBandEdgesAndOnlyErrorsRefuse) {
  // The group (0 thresholds, 1 currents, 2 Thiszt, 3 Minta, 4 Tkarbantarto), the fields
  // changed, keywords of the group's lines, the verdict.
  // clang-format off
  const struct { int group; std::vector<std::pair<int P::*, int>> change; std::vector<std::string> lines; bool allowed; } cases[] = {
      {0, {{&P::umax, 7}, {&P::umin, 7}}, {"azonosak"}, true},
      {0, {{&P::umax, 2}, {&P::umin, 30}}, {"feszültségek aránya ROSSZ"}, false},
      // Entry 26 is a divided step below entry 25's voltage; the position counts.
      {0, {{&P::umax, 26}, {&P::umin, 25}}, {"feszültségek aránya HELYES"}, true},
      {0, {{&P::umin, -1}}, {"aránya HELYES", "Nincs kijelölve érvényes küszöb"}, false},
      {0, {{&P::umax, -1}}, {"aránya ROSSZ", "Nincs kijelölve érvényes küszöb"}, false},
      {0, {{&P::umax, -1}, {&P::umin, -1}}, {"azonosak", "Nincs kijelölve érvényes küszöb"}, false},
      {1, {{&P::igyors, 5}, {&P::inormal, 5}}, {"kétfokozatú"}, true},
      {1, {{&P::igyors, 3}}, {"töltőáramok aránya ROSSZ"}, false},
      {1, {{&P::inormal, -1}}, {"áramok aránya HELYES", "érvényes töltőáram"}, false},
      {1, {{&P::igyors, -1}}, {"áramok aránya ROSSZ", "érvényes töltőáram"}, false},
      {1, {{&P::igyors, -1}, {&P::inormal, -1}}, {"kétfokozatú", "érvényes töltőáram"}, false},
      {2, {{&P::thiszt, -1}}, {"Hiszterézis ideje nincs megadva"}, false},
      {2, {{&P::thiszt, 0}}, {"Hiszterézis ideje eléggé szűk"}, true},
      {2, {{&P::thiszt, 3}}, {"Hiszterézis ideje megfelelő"}, true},
      {2, {{&P::thiszt, 100}}, {"Hiszterézis ideje megfelelő"}, true},
      {2, {{&P::thiszt, 101}}, {"Hiszterézis ideje eléggé nagy"}, true},
      {2, {{&P::thiszt, 256}}, {}, true},
      {3, {{&P::minta, -1}}, {"Mintavételezés ideje nincs megadva"}, false},
      {3, {{&P::minta, 0}}, {"Mintavételezés ideje eléggé szűk"}, true},
      {3, {{&P::minta, 1}}, {"Mintavételezés ideje megfelelő"}, true},
      {3, {{&P::minta, 100}}, {"Mintavételezés ideje megfelelő"}, true},
      {3, {{&P::minta, 101}}, {"Mintavételezés ideje túl nagy"}, true},
      {3, {{&P::minta, 256}}, {}, true},
      {4, {{&P::tkarbantarto, -1}}, {"Karbantartás időpontja nincs megadva"}, false},
      {4, {{&P::tkarbantarto, 0}}, {"Karbantartás időpontja eléggé közeli"}, true},
      {4, {{&P::tkarbantarto, 2}}, {"Karbantartás időpontja megfelelő"}, true},
      {4, {{&P::tkarbantarto, 100}}, {"Karbantartás időpontja megfelelő"}, true},
      {4, {{&P::tkarbantarto, 101}}, {"Karbantartás időpontja túl soká"}, true},
      {4, {{&P::tkarbantarto, 256}}, {}, true}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    P s = Sensible();
    for (const auto& [field, value] : c.change) s.*field = value;
    std::vector<std::string> expected = {
        "Küszöbfeszültségek aránya HELYES", "töltő áramok aránya HELYES",
        "Hiszterézis ideje megfelelő", "Mintavételezés ideje megfelelő",
        "Karbantartás időpontja megfelelő"};
    const auto slot = expected.erase(expected.begin() + c.group);
    expected.insert(slot, c.lines.begin(), c.lines.end());

    const AssistantVerdict v = AssessParameters(s);
    const std::vector<std::string> lines = RuleLines(v.report);
    ASSERT_EQ(lines.size(), expected.size()) << v.report;
    for (std::size_t i = 0; i < lines.size(); ++i)
      EXPECT_NE(lines[i].find(expected[i]), std::string::npos) << lines[i];
    EXPECT_EQ(v.allowed, c.allowed);
    EXPECT_EQ(v.report.ends_with("\r\n\r\nAdatok feltöltése MEGTAGADVA!"), !c.allowed);
  }
}

// The texts of the given entries, joined by " | ".
std::string Texts(const ListBox& list, std::initializer_list<int> entries) {
  std::string s;
  for (int e : entries) s += (s.empty() ? "" : " | ") + list.text(e);
  return s;
}

TEST(StepTables, BuildFillsTheSevenListsAndARebuildRewritesOnlyDividedTextsInPlace) {
  test::Harness h;
  Folap& f = *h.form;
  BuildStepTables(f.kozos, f.lists, ".");
  ASSERT_EQ(f.Igyors.count(), 15u);
  for (const ListBox* l : {&f.Thiszt, &f.Minta, &f.Tkarbantarto}) ASSERT_EQ(l->count(), 255u);
  EXPECT_EQ(f.Umin.entries(), f.Umax.entries());
  EXPECT_EQ(f.Inormal.entries(), f.Igyors.entries());
  EXPECT_EQ(Texts(f.Umax, {0, 25, 26, 51}), "0.417 V | 3.593 V | 1.666 V* | 14.372 V*");
  EXPECT_EQ(Texts(f.Igyors, {0, 14}), "0.070 A | 1.000 A");
  EXPECT_EQ(Texts(f.Thiszt, {0, 254}), "1 s | 255 s");
  EXPECT_EQ(Texts(f.Minta, {0, 254}), "1. s | 255. s");
  EXPECT_EQ(Texts(f.Tkarbantarto, {0, 254}), "2. napon | 256. napon");

  f.Umax.setSelectedSilently(30);
  f.Minta.setSelectedSilently(7);
  int rewrites = 0;
  f.Umax.entryChanged = [&](std::size_t) { ++rewrites; };
  h.kozos.DividerRatio = 5.0f;
  BuildStepTables(f.kozos, f.lists, ".");
  EXPECT_EQ(f.Umax.count(), 52u);
  EXPECT_EQ(f.Umax.selected(), 30);
  EXPECT_EQ(f.Minta.selected(), 7);
  EXPECT_EQ(Texts(f.Umax, {0, 25, 26, 30, 51}),
            "0.417 V | 3.593 V | 2.083 V* | 6.250 V* | 17.965 V*");
  EXPECT_EQ(rewrites, 26);

  rewrites = 0;
  BuildStepTables(f.kozos, f.lists, ".");
  EXPECT_EQ(rewrites, 0) << "an unchanged ratio changes nothing visible";
  BuildStepTables(f.kozos, f.lists, ",");
  EXPECT_EQ(Texts(f.Inormal, {0, 3}), "0,070 A | 0,270 A");
}

}  // namespace
}  // namespace voltander

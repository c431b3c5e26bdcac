#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/Version.h"
#include "fakes/Fakes.h"

namespace voltander {
namespace {

const std::string kWizardTitle = StartupTitle() + " (*Beállítás Varázsló*)";
const std::optional<Color> kMarked = kLightRed;
const std::optional<Color> kPlain = std::nullopt;

// Everything the wizard may touch on the main window.
struct WindowState {
  std::string title;
  // Umax, Umin, Inormal, Igyors, Tkarbantarto, Thiszt, Minta.
  std::array<int, 7> selections;
  // Umax, Umin, Igyors, Inormal.
  std::array<std::optional<Color>, 4> marks;
  bool operator==(const WindowState&) const = default;
};

WindowState StateOf(Folap& f) {
  return {
      f.window.title(),
      {f.Umax.selected(), f.Umin.selected(), f.Inormal.selected(), f.Igyors.selected(),
       f.Tkarbantarto.selected(), f.Thiszt.selected(), f.Minta.selected()},
      {f.Umax.background(), f.Umin.background(), f.Igyors.background(), f.Inormal.background()}};
}

void RunWizard(test::Harness& h, const std::vector<std::string>& answers, bool expert = false) {
  h.kozos.ExpertMode = expert;
  h.dialogs.inputs.assign(answers.begin(), answers.end());
  h.form->Varazslo.click();
}

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override { h.form->Form_Load(); }
  test::Harness h;
};

struct Scenario {
  const char* name;
  std::vector<std::string> answers;
  bool expert;
  // Umax, Umin, Inormal, Igyors, Tkarbantarto.
  std::array<int, 5> positions;
  // Umax, Umin, Igyors, Inormal.
  std::array<std::optional<Color>, 4> marks;
};

TEST(WizardScenarios, SelectTheNearestStepsAndMarkWhatCannotBeMet) {
  const Scenario scenarios[] = {
      {"lead-acid", {"1", "6", "1000", "0", "Auto"}, true, {48, 44, 2, 6, 253}, {}},
      {"tiny NiCd", {"3", "1", "100", "0", "Auto"}, false, {6, 3, -1, 0, 28}, {}},
      {"Li-ion",
       {"5", "4", "2000", "500", "Auto"},
       true,
       {51, 47, 12, 14, 248},
       {kMarked, kPlain, kMarked, kPlain}},
      {"Li-ion, big",
       {"5", "4", "6000", "0", "Auto"},
       true,
       {51, 47, 14, 14, 248},
       {kMarked, kPlain, kMarked, kMarked}},
      {"NiCd 9.5 cells", {"3", "9.5", "1000", "0", "Auto"}, true, {51, 41, 2, 6, 28}, {}},
      {"NiMH typed 255", {"4", "1", "1000", "0", "255"}, false, {6, 3, 2, 6, 88}, {}},
      {"NiMH auto", {"4", "1", "1000", "0", "Auto"}, false, {6, 3, 2, 6, 88}, {}},
      {"gel, load cancelled",
       {"2", "2", "1000", "", "100"},
       true,
       {29, 28, 2, 6, 98},
       {kPlain, kMarked, kPlain, kPlain}},
      {"interval halves to even", {"1", "1", "1000", "0", "2.5"}, false, {12, 10, 2, 6, 0}, {}},
      {"interval top", {"1", "1", "1000", "0", "256.5"}, false, {12, 10, 2, 6, 254}, {}},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    test::Harness h;
    h.form->Form_Load();
    RunWizard(h, s.answers, s.expert);
    const WindowState got = StateOf(*h.form);
    EXPECT_EQ(got.title, kWizardTitle);
    const auto& p = s.positions;
    EXPECT_EQ(got.selections, (std::array<int, 7>{p[0], p[1], p[2], p[3], p[4], 29, 2}));
    EXPECT_EQ(got.marks, s.marks);
    const std::size_t boxes = s.expert ? 2 : 1;  // the summary, then the report
    ASSERT_EQ(h.dialogs.shown.size(), boxes);
    if (s.expert) {
      EXPECT_EQ(h.dialogs.shown.back().icon, Icon::Information);
    }
  }
}

TEST_F(Wizard, AsksTheFiveQuestionsWithTheirTitlesPromptsAndDefaults) {
  RunWizard(h, {});
  ASSERT_EQ(h.dialogs.asked.size(), 5u);
  const test::FakeDialogs::InputAsked expected[] = {
      {"Akkumlátor típusa:", "1=Savas (ólom)\r\n2=Zselés (ólom)\r\n3=NiCd\r\n4=NiMH\r\n5=Li-ion",
       "4"},
      {"Cellák száma:", "Az Akkumlátor hány cellából áll?", "1"},
      {"Kapacitás:", "Az Akkumlátor kapacitása mAh-ban?\r\nCsak számjegyekkel!", "1000"},
      {"Fogyasztó:", "A fogysztó mekkora árammal terhel átlagban [mA]?", "0"},
      {"Karbantartás:", "Hány naponta legyen kisütve az Akkumlátor (fogyasztóval)[2-256]?", "Auto"},
  };
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(h.dialogs.asked[i].title, expected[i].title);
    EXPECT_EQ(h.dialogs.asked[i].prompt, expected[i].prompt);
    EXPECT_EQ(h.dialogs.asked[i].defaultText, expected[i].defaultText);
  }
}

TEST_F(Wizard, SummaryShowsTheAnswersAsTypedAndTheNumbersWithTwoBlanks) {
  RunWizard(h, {"1", "6", "1000", "0", "Auto"});
  ASSERT_FALSE(h.dialogs.shown.empty());
  const test::ShownMessage& summary = h.dialogs.shown.front();
  EXPECT_EQ(summary.text,
            "Az Akkumlátor típusa: Savas (ólom)\r\n"
            "A cellák száma: 6\r\n"
            "Az Akkumlátor kapacitása: 1000 mAh\r\n"
            "A folyamatos terhelés:  0 mA\r\n"
            "Karbantartás:  255 naponta.\r\n"
            "\r\n"
            "Megfelelnek az adatok?");
  EXPECT_EQ(summary.buttons, Buttons::YesNo);
  EXPECT_EQ(summary.icon, Icon::Question);
  EXPECT_EQ(summary.title, kAppTitle);
}

TEST_F(Wizard, ExpertReportListsDeviationsTargetsAndWarnings) {
  RunWizard(h, {"5", "4", "2000", "500", "Auto"}, true);
  ASSERT_EQ(h.dialogs.shown.size(), 2u);
  const test::ShownMessage& report = h.dialogs.shown[1];
  EXPECT_EQ(report.text,
            "A számított és beállítható fokozatok eltérései (Szakértői mód).\r\n\r\n"
            "Eltérések:\r\n"
            "   Umax_Hiba=2.428 V\r\n"
            "   Umin_Hiba=0.128 V\r\n"
            "   Igyors_Hiba=0.500 A\r\n"
            "   Inormal_Hiba=0.020 A\r\n\r\n"
            "Számított értékek:\r\n"
            "   Umax=16.800 V\r\n"
            "   Umin=12.000 V\r\n"
            "   Igyors=1.500 A\r\n"
            "   Inormal=0.900 A\r\n\r\n"
            "A maximális feszültség nem beállítható!\r\n"
            "Áramérték túllépési igény gyorstöltési fokozatban!\r\n");
  EXPECT_EQ(report.buttons, Buttons::Ok);
  EXPECT_EQ(report.icon, Icon::Information);
}

TEST_F(Wizard, ReportWithoutWarningsEndsAfterTheTargetsAndTheLastWarningHasNoLineBreak) {
  RunWizard(h, {"3", "9.5", "1000", "0", "Auto"}, true);
  ASSERT_EQ(h.dialogs.shown.size(), 2u);
  const std::string& quiet = h.dialogs.shown[1].text;
  EXPECT_NE(quiet.find("   Umax_Hiba=-0.597 V\r\n"), std::string::npos) << quiet;
  EXPECT_TRUE(quiet.ends_with("   Inormal=0.200 A\r\n\r\n")) << quiet;

  RunWizard(h, {"5", "4", "6000", "0", "Auto"}, true);
  const std::string& loud = h.dialogs.shown.back().text;
  EXPECT_TRUE(
      loud.ends_with("gyorstöltési fokozatban!\r\n"
                     "Áramérték igény túl nagy normálfokozatban is!"))
      << loud;
}

TEST_F(Wizard, ListsAreMarkedBeforeTheReportShowsAndTheNextChoiceClearsTheMark) {
  std::optional<Color> umaxWhileShown;
  h.dialogs.whileShown = [&](const test::ShownMessage& m) {
    if (m.icon == Icon::Information) umaxWhileShown = h.form->Umax.background();
  };
  RunWizard(h, {"5", "4", "2000", "500", "Auto"}, true);
  EXPECT_EQ(umaxWhileShown, kLightRed);
  h.form->Umax.select(10);
  EXPECT_EQ(h.form->Umax.background(), kPlain);
  EXPECT_EQ(h.form->Igyors.background(), kMarked);

  // A later run clears the marks it does not set again, also on a list it leaves
  // without a selection.
  RunWizard(h, {"5", "4", "6000", "0", "Auto"}, true);
  ASSERT_EQ(h.form->Inormal.background(), kMarked);
  RunWizard(h, {"3", "1", "100", "0", "Auto"}, true);
  EXPECT_EQ(h.form->Inormal.selected(), -1);
  EXPECT_EQ(StateOf(*h.form).marks, (std::array<std::optional<Color>, 4>{}));
}

TEST_F(Wizard, ExpertReportUsesTheDesktopDecimalSeparatorButTheSummaryKeepsPoints) {
  test::Harness comma;
  comma.desktop.separator = ",";
  comma.form->Form_Load();
  RunWizard(comma, {"5", "4", "2000", "500.25", "Auto"}, true);
  ASSERT_EQ(comma.dialogs.shown.size(), 2u);
  EXPECT_NE(comma.dialogs.shown[0].text.find("terhelés:  500.25 mA"), std::string::npos);
  const std::string& report = comma.dialogs.shown[1].text;
  for (const char* part :
       {"Umax_Hiba=2,428 V", "Inormal_Hiba=0,020 A", "Umax=16,800 V", "Umin=12,000 V"}) {
    EXPECT_NE(report.find(part), std::string::npos) << part << "\n" << report;
  }
  EXPECT_EQ(report.find("0.0"), std::string::npos) << report;
}

TEST_F(Wizard, RejectedAnswersEndTheWizardSilentlyWithoutAnyChange) {
  const std::vector<std::string> rejected[] = {
      {""},
      {"6"},
      {" 4"},
      {"4", ""},
      {"4", "12.5"},
      {"4", "0.5"},
      {"4", "1", ""},
      {"4", "1", "99"},
      {"4", "1", "30000.5"},
      {"4", "1", "1000", "0", ""},
      {"4", "1", "1000", "0", "1"},
      {"4", "1", "1000", "0", "257"},
      {"4", "1", "1000", "0", "100000"},
      {"4", "1", "1000", "0", "auto"},
  };
  h.form->Umax.select(5);
  h.form->Igyors.setBackground(kLightRed);
  const WindowState before = StateOf(*h.form);
  for (const auto& answers : rejected) {
    std::string trace;
    for (const std::string& a : answers) trace += "[" + a + "]";
    SCOPED_TRACE(trace);
    RunWizard(h, answers);
    EXPECT_EQ(h.dialogs.asked.size(), answers.size());
    EXPECT_TRUE(h.dialogs.shown.empty());
    EXPECT_EQ(StateOf(*h.form), before);
    h.dialogs.asked.clear();
  }
}

TEST_F(Wizard, TooLargeOrNegativeLoadIsRefusedWithACriticalMessage) {
  const WindowState before = StateOf(*h.form);
  for (const char* load : {"12000.5", "-1", "1e40"}) {
    SCOPED_TRACE(load);
    h.dialogs.shown.clear();
    RunWizard(h, {"4", "1", "1000", load, "Auto"});
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].text, "Túl nagy a terhelés!");
    EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
    EXPECT_EQ(h.dialogs.shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(StateOf(*h.form), before);
  }
  EXPECT_EQ(h.dialogs.asked.size(), 12u);  // the interval is never asked
}

TEST_F(Wizard, NothingChangesBeforeYesAndNoChangesNothing) {
  h.form->Tkarbantarto.select(7);
  h.form->Inormal.setBackground(kLightRed);
  const WindowState before = StateOf(*h.form);
  std::optional<WindowState> duringSummary;
  h.dialogs.whileShown = [&](const test::ShownMessage& m) {
    if (m.icon == Icon::Question) duringSummary = StateOf(*h.form);
  };
  h.dialogs.answers = {Answer::No};
  RunWizard(h, {"5", "4", "2000", "500", "Auto"}, true);
  EXPECT_EQ(duringSummary, before);
  EXPECT_EQ(StateOf(*h.form), before);
  EXPECT_EQ(h.dialogs.shown.size(), 1u);  // no report after No

  RunWizard(h, {"5", "4", "2000", "500", "Auto"}, true);
  EXPECT_EQ(duringSummary, before);
  EXPECT_NE(StateOf(*h.form), before);
}

}  // namespace
}  // namespace voltander

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "common/Version.h"
#include "fakes/Fakes.h"

namespace voltander {
namespace {

// The title, the positions of Umax, Umin, Inormal, Igyors, Tkarbantarto, Thiszt and Minta,
// and which of Umax, Umin, Igyors and Inormal carry the light-red mark: "1010".
std::string StateOf(Folap& f) {
  std::string state = f.window.title() + " |";
  for (const ListBox* l :
       {&f.Umax, &f.Umin, &f.Inormal, &f.Igyors, &f.Tkarbantarto, &f.Thiszt, &f.Minta}) {
    state += " " + std::to_string(l->selected());
  }
  state += " ";
  for (const ListBox* l : {&f.Umax, &f.Umin, &f.Igyors, &f.Inormal}) {
    state += l->background() == kLightRed ? '1' : l->background() ? '?' : '0';
  }
  return state;
}

struct Wizard : ::testing::Test {
  void SetUp() override { h.form->Form_Load(); }
  // Answers to the input boxes in order, separated by "|".
  void run(const std::string& answers, bool expert = false) {
    h.kozos.ExpertMode = expert;
    h.dialogs.inputs.clear();
    h.dialogs.shown.clear();
    for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
      end = answers.find('|', at);
      h.dialogs.inputs.push_back(answers.substr(at, end - at));
    }
    h.form->Varazslo.click();
  }
  const std::string& shownText(std::size_t i) { return h.dialogs.shown.at(i).text; }
  test::Harness h;
};

// One run after the other, each starting from what the previous one left.
TEST_F(Wizard, ScenariosSelectTheNearestStepsAndMarkWhatCannotBeMet) {
  // clang-format off
  const struct { const char* answers; bool expert; const char* state; } scenarios[] = {
      {"1|6|1000|0|Auto", true, "48 44 2 6 253 29 2 0000"},
      {"5|4|2000|500|Auto", true, "51 47 12 14 248 29 2 1010"},
      {"5|4|6000|0|Auto", true, "51 47 14 14 248 29 2 1011"},
      // Marks not set again are cleared, also on a list left without a selection.
      {"3|1|100|0|Auto", false, "6 3 -1 0 28 29 2 0000"},
      {"3|9.5|1000|0|Auto", true, "50 41 2 6 28 29 2 0000"},
      {"4|1|1000|0|255", false, "6 3 2 6 88 29 2 0000"},
      {"4|1|1000|0|Auto", false, "6 3 2 6 88 29 2 0000"},
      {"2|2|1000||100", true, "29 28 2 6 98 29 2 0100"}};  // load cancelled
  // clang-format on
  for (const auto& s : scenarios) {
    SCOPED_TRACE(s.answers);
    run(s.answers, s.expert);
    EXPECT_EQ(StateOf(*h.form), StartupTitle() + " (*Beállítás Varázsló*) | " + s.state);
    EXPECT_EQ(h.dialogs.shown.size(), s.expert ? 2u : 1u);  // the summary, then the report
  }
}

// The lists are marked before the report shows; the next choice clears a mark.
TEST_F(Wizard, SummaryKeepsTheAnswersAsTypedAndTheExpertReportUsesTheDesktopSeparator) {
  std::optional<Color> umaxWhileShown;
  h.dialogs.whileShown = [&](const test::ShownMessage& m) {
    if (m.icon == Icon::Information) umaxWhileShown = h.form->Umax.background();
  };
  h.desktop.separator = ",";
  run("5|4|2000|500.25|Auto", true);
  EXPECT_EQ(h.dialogs.asked, 5);
  EXPECT_EQ(shownText(0),
            "Az Akkumlátor típusa: Li-ion\r\n"
            "A cellák száma: 4\r\n"
            "Az Akkumlátor kapacitása: 2000 mAh\r\n"
            "A folyamatos terhelés:  500.25 mA\r\n"
            "Karbantartás:  250 naponta.\r\n"
            "\r\n"
            "Megfelelnek az adatok?");
  EXPECT_EQ(shownText(1),
            "A számított és beállítható fokozatok eltérései (Szakértői mód).\r\n\r\n"
            "Eltérések:\r\n"
            "   Umax_Hiba=2,428 V\r\n"
            "   Umin_Hiba=0,128 V\r\n"
            "   Igyors_Hiba=0,500 A\r\n"
            "   Inormal_Hiba=0,020 A\r\n\r\n"
            "Számított értékek:\r\n"
            "   Umax=16,800 V\r\n"
            "   Umin=12,000 V\r\n"
            "   Igyors=1,500 A\r\n"
            "   Inormal=0,900 A\r\n\r\n"
            "A maximális feszültség nem beállítható!\r\n"
            "Áramérték túllépési igény gyorstöltési fokozatban!\r\n");
  EXPECT_EQ(umaxWhileShown, kLightRed);
  h.form->Umax.select(10);
  EXPECT_TRUE(StateOf(*h.form).ends_with(" 0010"));

  h.desktop.separator = ".";
  const std::pair<const char*, const char*> reports[] = {
      // 13.775 V: row 52 (13.748 V) is nearer than row 53 (14.372 V).
      {"3|9.5|1000|0|Auto", "   Umax_Hiba=0.027 V\r\n"},
      {"5|4|6000|0|Auto", "fokozatban!\r\nÁramérték igény túl nagy normálfokozatban is!"},
      {"4|1|100|1000|Auto", "   Igyors=1.050 A\r\n   Inormal=1.020 A\r\n"},  // load in mA
      {"1|6|1000|0|Auto", "   Inormal_Hiba=0.000 A\r\n"}};                   // met exactly: no sign
  for (const auto& [answers, part] : reports) {
    run(answers, true);
    EXPECT_NE(shownText(1).find(part), std::string::npos) << shownText(1);
  }
}

// Where each answer's range ends is pinned beside the parsers; here one rejected answer
// per question, after accepted earlier ones.
TEST_F(Wizard, ARejectedAnswerEndsTheWizardWithoutAnyChange) {
  h.form->Umax.select(5);
  h.form->Igyors.setBackground(kLightRed);
  const std::string before = StateOf(*h.form);
  for (const std::string answers : {"6", "4|12.5", "4|1|99", "4|1|1000|12000.5", "4|1|1000|0|1"}) {
    SCOPED_TRACE(answers);
    h.dialogs.asked = 0;
    run(answers);
    EXPECT_EQ(h.dialogs.asked, std::count(answers.begin(), answers.end(), '|') + 1);
    EXPECT_EQ(StateOf(*h.form), before);
    const bool tooLarge = answers.ends_with("12000.5");  // only a load too large says so
    ASSERT_EQ(h.dialogs.shown.size(), tooLarge ? 1u : 0u);
    if (tooLarge) {
      EXPECT_EQ(shownText(0), "Túl nagy a terhelés!");
      EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
    }
  }
}

TEST_F(Wizard, NothingChangesBeforeYesAndNoChangesNothing) {
  h.form->Tkarbantarto.select(7);
  h.form->Inormal.setBackground(kLightRed);
  const std::string before = StateOf(*h.form);
  std::optional<std::string> duringSummary;
  h.dialogs.whileShown = [&](const test::ShownMessage& m) {
    if (m.icon == Icon::Question) duringSummary = StateOf(*h.form);
  };
  h.dialogs.answers = {Answer::No};
  run("5|4|2000|500|Auto", true);
  EXPECT_EQ(duringSummary, before);
  EXPECT_EQ(StateOf(*h.form), before);
  EXPECT_EQ(h.dialogs.shown.size(), 1u);  // no report after No

  run("5|4|2000|500|Auto", true);
  EXPECT_EQ(duringSummary, before);
  EXPECT_NE(StateOf(*h.form), before);
}

}  // namespace
}  // namespace voltander

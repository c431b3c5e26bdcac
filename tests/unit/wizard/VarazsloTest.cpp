#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>

#include "common/Version.h"
#include "fakes/Fakes.h"
#include "wizard/StepSearch.h"
#include "wizard/WizardAnswers.h"

namespace voltander {
namespace {

// The title, the positions of Umax, Umin, Inormal, Igyors, Tkarbantarto, Thiszt and Minta,
// and which of Umax, Umin, Igyors and Inormal carry the light-red mark: "1010".
std::string StateOf(Folap& f) {
  std::string state = f.window.title() + " |";
  for (const ListBox* l :
       {&f.Umax, &f.Umin, &f.Inormal, &f.Igyors, &f.Tkarbantarto, &f.Thiszt, &f.Minta})
    state += " " + std::to_string(l->selected());
  state += " ";
  for (const ListBox* l : {&f.Umax, &f.Umin, &f.Igyors, &f.Inormal})
    state += l->background() == kLightRed ? '1' : l->background() ? '?' : '0';
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
// per question, after accepted earlier ones, and No to the summary.
TEST_F(Wizard, ARejectedAnswerOrNoEndsTheWizardWithoutAnyChange) {
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
  // Nor does No to the summary; nothing changes while it is up, and Yes applies.
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

VoltageTable VoltagesWith(std::initializer_list<float> head, float fill, float top) {
  VoltageTable t{};
  int k = 0;
  for (float v : head) t[k++][0] = v;
  for (; k < kLastVoltageRow; ++k) t[k][0] = fill;
  t[kLastVoltageRow][0] = top;
  return t;
}

// The scan stops at the first row above the target, in row order; ties go to the row below.
TEST(StepSearch, PicksTheNearerOfTheFirstRowAboveAndTheRowBelowIt) {
  // Row 3 (5.0) is the nearest value to 4.9, but row 2 already exceeds it.
  const VoltageTable unsorted = VoltagesWith({0.0f, 1.0f, 6.0f, 5.0f}, 0.5f, 9.0f);
  const VoltageTable t = VoltagesWith({0.0f, 1.0f, 2.0f}, 2.5f, 9.0f);
  // The top row is compared like any other; above it, it is the fallback.
  const VoltageTable low = VoltagesWith({0.0f}, 1.0f, 3.0f);
  const int top = kLastVoltageRow;
  // clang-format off
  const struct { const VoltageTable& table; float target; int row; float deviation; } cases[] = {
      {unsorted, 4.9f, 2, 1.1f}, {t, 1.75f, 2, 0.25f}, {t, 1.5f, 1, 0.5f}, {t, 2.0f, 2, 0.0f},
      {low, 1.2f, top - 1, 0.2f}, {low, 2.5f, top, 0.5f}, {low, 3.5f, top, 0.5f},
      {t, 2.5f, top - 1, 0.0f},  // a run of equal rows: only a row above it stops the scan
      {low, -1.0f, 0, 1.0f}};    // below row 0: nothing beneath to compare with
  // clang-format on
  for (const auto& c : cases) {
    const StepChoice s = NearestVoltageStep(c.table, c.target);
    EXPECT_EQ(s.row, c.row) << c.target;
    EXPECT_FLOAT_EQ(s.deviation, c.deviation) << c.target;
  }

  // The top current row likewise.
  CurrentTable current{};
  for (int k = 0; k < kLastCurrentRow; ++k) current[k][0] = 0.1f * static_cast<float>(k) / 15;
  current[kLastCurrentRow][0] = 2.0f;
  EXPECT_EQ(NearestCurrentStep(current, 1.5f).row, kLastCurrentRow);
  EXPECT_FLOAT_EQ(NearestCurrentStep(current, 1.5f).deviation, 0.5f);
}

TEST(WizardAnswers, OnlyTheBareDigitOneToFivePicksABatteryType) {
  for (const char* text : {"1", "5"}) EXPECT_STREQ(BatteryTypeFor(text)->answer, text);
  for (const char* text : {"", "0", "6", " 4", "4 ", "04", "4.0", "+4"})
    EXPECT_EQ(BatteryTypeFor(text), nullptr) << '"' << text << '"';
}

template <typename T>
struct Case {
  const char* text;
  std::optional<T> value;
};

TEST(WizardAnswers, NumbersKeepTheirRangesBothEndsIncluded) {
  const Case<double> cells[] = {{"1", 1},      {"12", 12},      {"9.5", 9.5}, {"6 cells", 6},
                                {"0.999", {}}, {"12.0001", {}}, {"abc", {}},  {"1e300", {}}};
  const Case<double> capacities[] = {
      {"100", 100}, {"30000", 30000}, {"1 000", 1000}, {"99.99", {}}, {"-1000", {}}};
  // The load is held in single precision, Cancel means none.
  const Case<float> loads[] = {
      {"", 0.0f},          {"abc", 0.0f},   {"12000", 12000.0f}, {"12000.0001", 12000.0f},
      {"500.25", 500.25f}, {"12000.5", {}}, {"-0.001", {}},      {"1e40", {}},
      {"&H7FFF", {}}};
  const Case<int> intervals[] = {{"Auto", 255}, {"2", 2},      {"256", 256},   {"1.5", 2},
                                 {"2.5", 2},    {"3.5", 4},    {"256.5", 256}, {"100 nap", 100},
                                 {"AUTO", {}},  {" Auto", {}}, {"1.49", {}},   {"256.51", {}},
                                 {"1e300", {}}, {"-5", {}}};
  for (const auto& c : cells) EXPECT_EQ(AcceptCells(c.text), c.value) << c.text;
  for (const auto& c : capacities) EXPECT_EQ(AcceptCapacity(c.text), c.value) << c.text;
  for (const auto& c : loads) EXPECT_EQ(AcceptLoad(c.text), c.value) << c.text;
  for (const auto& c : intervals)
    EXPECT_EQ(AcceptInterval(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace voltander

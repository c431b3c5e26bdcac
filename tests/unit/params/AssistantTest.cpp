#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "params/Assistant.h"

namespace voltander {
namespace {

// Umax above Umin, Igyors above Inormal, every time in its "right" band.
ParameterSet Sensible() { return {25, 0, 14, 4, 9, 4, 29}; }

// The rule lines between the heading's empty line and the verdict's.
std::vector<std::string> RuleLines(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t pos = report.find("\r\n\r\n") + 4;
  for (std::size_t end; (end = report.find("\r\n", pos)) != pos && end != std::string::npos;
       pos = end + 2) {
    lines.push_back(report.substr(pos, end - pos));
  }
  return lines;
}

// Each line must contain its keyword, in order, and no line may be extra.
void ExpectLines(const ParameterSet& s, const std::vector<std::string>& keywords, bool allowed,
                 const std::string& where) {
  const AssistantVerdict v = AssessParameters(s);
  const std::vector<std::string> lines = RuleLines(v.report);
  ASSERT_EQ(lines.size(), keywords.size()) << where << "\n" << v.report;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_NE(lines[i].find(keywords[i]), std::string::npos) << where << ": " << lines[i];
  }
  EXPECT_EQ(v.allowed, allowed) << where;
  EXPECT_TRUE(v.report.ends_with(allowed ? "\r\n\r\nAdatok feltöltése engedélyezve!"
                                         : "\r\n\r\nAdatok feltöltése MEGTAGADVA!"))
      << where;
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

TEST(Assistant, NothingSelectedGivesEveryMissingLineAndRefuses) {
  const AssistantVerdict v = AssessParameters(ParameterSet{});
  EXPECT_FALSE(v.allowed);
  EXPECT_EQ(RuleLines(v.report),
            (std::vector<std::string>{
                "Küszöbfeszöltségek azonosak? Csak megfontolt és helyes áramértékekkel együtt "
                "használható!",
                "Nincs kijelölve érvényes küszöbfeszültség!!! Így nem használható!",
                "Nem akar használni kétfokozatú töltést? Ha igen, az áramok arányai megfelelőek.",
                "Nincs kijelölve érvényes töltőáramok!!! Így nem használható!",
                "A Hiszterézis ideje nincs megadva! Így nem használható!",
                "A Mintavételezés ideje nincs megadva! Így nem használható!",
                "A Karbantartás időpontja nincs megadva! Így nem használható!"}));
}

TEST(Assistant, ThresholdAndCurrentGroupsComparePositionsAndMakeEveryTest) {
  struct Case {
    bool voltage;
    int high, low;  // Umax/Umin or Igyors/Inormal
    std::vector<std::string> keywords;
    bool allowed;
  };
  const std::vector<Case> cases = {
      {true, 30, 2, {"aránya HELYES"}, true},
      {true, 7, 7, {"azonosak"}, true},
      {true, 2, 30, {"aránya ROSSZ"}, false},
      // Entry 26 is a divided step below entry 25's voltage; the position counts.
      {true, 26, 25, {"aránya HELYES"}, true},
      {true, 10, -1, {"aránya HELYES", "Nincs kijelölve érvényes küszöb"}, false},
      {true, -1, 10, {"aránya ROSSZ", "Nincs kijelölve érvényes küszöb"}, false},
      {false, 14, 0, {"áramok aránya HELYES"}, true},
      {false, 5, 5, {"kétfokozatú"}, true},
      {false, 3, 4, {"töltőáramok aránya ROSSZ"}, false},
      {false, 3, -1, {"áramok aránya HELYES", "Nincs kijelölve érvényes töltőáram"}, false},
      {false, -1, 3, {"aránya ROSSZ", "Nincs kijelölve érvényes töltőáram"}, false},
  };
  for (const Case& c : cases) {
    ParameterSet s = Sensible();
    std::vector<std::string> keywords =
        c.voltage ? c.keywords : std::vector<std::string>{"aránya HELYES"};
    const std::vector<std::string> currents =
        c.voltage ? std::vector<std::string>{"áramok aránya HELYES"} : c.keywords;
    keywords.insert(keywords.end(), currents.begin(), currents.end());
    keywords.insert(keywords.end(), {"Hiszterézis", "Mintavételezés", "Karbantartás"});
    (c.voltage ? s.umax : s.igyors) = c.high;
    (c.voltage ? s.umin : s.inormal) = c.low;
    ExpectLines(
        s, keywords, c.allowed,
        std::to_string(c.voltage) + ":" + std::to_string(c.high) + "/" + std::to_string(c.low));
  }
}

TEST(Assistant, TimeGroupsChangeLinesExactlyAtTheirBandEdgesAndWarningsNeverRefuse) {
  struct Case {
    int ParameterSet::*list;
    int index;
    const char* keyword;  // nullptr: no line at all
    bool allowed;
  };
  const Case cases[] = {
      {&ParameterSet::thiszt, -1, "Hiszterézis ideje nincs megadva", false},
      {&ParameterSet::thiszt, 0, "Hiszterézis ideje eléggé szűk", true},
      {&ParameterSet::thiszt, 2, "Hiszterézis ideje eléggé szűk", true},
      {&ParameterSet::thiszt, 3, "Hiszterézis ideje megfelelő", true},
      {&ParameterSet::thiszt, 100, "Hiszterézis ideje megfelelő", true},
      {&ParameterSet::thiszt, 101, "Hiszterézis ideje eléggé nagy", true},
      {&ParameterSet::thiszt, 254, "Hiszterézis ideje eléggé nagy", true},
      {&ParameterSet::thiszt, 256, nullptr, true},
      {&ParameterSet::minta, -1, "Mintavételezés ideje nincs megadva", false},
      {&ParameterSet::minta, 0, "Mintavételezés ideje eléggé szűk", true},
      {&ParameterSet::minta, 1, "Mintavételezés ideje megfelelő", true},
      {&ParameterSet::minta, 100, "Mintavételezés ideje megfelelő", true},
      {&ParameterSet::minta, 101, "Mintavételezés ideje túl nagy", true},
      {&ParameterSet::tkarbantarto, -1, "Karbantartás időpontja nincs megadva", false},
      {&ParameterSet::tkarbantarto, 1, "Karbantartás időpontja eléggé közeli", true},
      {&ParameterSet::tkarbantarto, 2, "Karbantartás időpontja megfelelő", true},
      {&ParameterSet::tkarbantarto, 100, "Karbantartás időpontja megfelelő", true},
      {&ParameterSet::tkarbantarto, 101, "Karbantartás időpontja túl soká", true},
      {&ParameterSet::tkarbantarto, -7, nullptr, true},
  };
  for (const Case& c : cases) {
    ParameterSet s = Sensible();
    s.*c.list = c.index;
    std::vector<std::string> keywords = {
        "aránya HELYES", "áramok aránya HELYES", "Hiszterézis ideje megfelelő",
        "Mintavételezés ideje megfelelő", "Karbantartás időpontja megfelelő"};
    const auto slot = keywords.begin() + (c.list == &ParameterSet::thiszt  ? 2
                                          : c.list == &ParameterSet::minta ? 3
                                                                           : 4);
    if (c.keyword) {
      *slot = c.keyword;
    } else {
      keywords.erase(slot);
    }
    ExpectLines(s, keywords, c.allowed, std::string(c.keyword ? c.keyword : "none"));
  }
}

// The handler reads the window's lists, shows one box and only ever clears the flag.
TEST(AssistantCheck, ShowsTheReportWithTheVerdictsIconAndOnlyClearsTheFlag) {
  test::Harness h;
  h.form->Form_Load();
  Folap& f = *h.form;
  const ParameterSet s = Sensible();
  f.Umax.select(s.umax);
  f.Umin.select(s.umin);
  f.Igyors.select(s.igyors);
  f.Inormal.select(s.inormal);
  f.Thiszt.select(s.thiszt);
  f.Minta.select(s.minta);
  f.Tkarbantarto.select(s.tkarbantarto);
  h.kozos.UploadAllowed = true;
  f.AssistantCheck();
  f.Igyors.select(0);  // now below Inormal: refused
  f.AssistantCheck();
  f.Igyors.select(14);
  f.AssistantCheck();

  ASSERT_EQ(h.dialogs.shown.size(), 3u);
  EXPECT_EQ(h.dialogs.shown[0].text, AssessParameters(s).report);
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Information);
  EXPECT_EQ(h.dialogs.shown[0].buttons, Buttons::Ok);
  EXPECT_EQ(h.dialogs.shown[0].title, "Voltander");
  EXPECT_EQ(h.dialogs.shown[1].icon, Icon::Critical);
  EXPECT_EQ(h.dialogs.shown[2].icon, Icon::Information);
  EXPECT_FALSE(h.kozos.UploadAllowed);
}

}  // namespace
}  // namespace voltander

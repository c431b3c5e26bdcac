#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "params/Assistant.h"

namespace voltander {
namespace {

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

}  // namespace
}  // namespace voltander

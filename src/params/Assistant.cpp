#include "params/Assistant.h"

#include <initializer_list>
#include <optional>

namespace voltander {

namespace {

constexpr const char* kCrLf = "\r\n";

struct Rule {
  const char* line;
  bool refuses;
};

// One band of a time list: positions lo..hi give this line.
struct Band {
  int lo;
  int hi;
  Rule rule;
};

// The time groups add at most one line each; a position outside every band adds
// nothing.
std::optional<Rule> BandRule(int index, std::initializer_list<Band> bands) {
  for (const Band& b : bands) {
    if (index >= b.lo && index <= b.hi) return b.rule;
  }
  return std::nullopt;
}

class Report {
 public:
  void add(const Rule& rule) {
    text_ += rule.line;
    text_ += kCrLf;
    if (rule.refuses) allowed_ = false;
  }
  void add(const std::optional<Rule>& rule) {
    if (rule) add(*rule);
  }
  AssistantVerdict finish() {
    text_ += kCrLf;
    text_ += allowed_ ? "Adatok feltöltése engedélyezve!" : "Adatok feltöltése MEGTAGADVA!";
    return {text_, allowed_};
  }

 private:
  std::string text_ = std::string("Akku Aszisztens jelentés:") + kCrLf + kCrLf;
  bool allowed_ = true;
};

constexpr Rule kThresholdsRight{"Küszöbfeszültségek aránya HELYES.", false};
constexpr Rule kThresholdsEqual{
    "Küszöbfeszöltségek azonosak? Csak megfontolt és helyes áramértékekkel együtt "
    "használható!",
    false};
constexpr Rule kThresholdsWrong{"Küszöbfeszültségek aránya ROSSZ!!! Így nem használható!", true};
constexpr Rule kThresholdMissing{
    "Nincs kijelölve érvényes küszöbfeszültség!!! Így nem használható!", true};

constexpr Rule kCurrentsRight{"A töltő áramok aránya HELYES.", false};
constexpr Rule kCurrentsEqual{
    "Nem akar használni kétfokozatú töltést? Ha igen, az áramok arányai megfelelőek.", false};
constexpr Rule kCurrentsWrong{"A töltőáramok aránya ROSSZ!!! Így nem használható!", true};
constexpr Rule kCurrentMissing{"Nincs kijelölve érvényes töltőáramok!!! Így nem használható!",
                               true};

}  // namespace

AssistantVerdict AssessParameters(const ParameterSet& set) {
  Report report;

  // Every test of the two value groups is made, so a missing selection can add a
  // second line to the order line that compares it as -1.
  const int u = set.umax;
  const int l = set.umin;
  if (u > l) report.add(kThresholdsRight);
  if (u == l) report.add(kThresholdsEqual);
  if (u < l) report.add(kThresholdsWrong);
  if (u == -1 || l == -1) report.add(kThresholdMissing);

  const int f = set.igyors;
  const int n = set.inormal;
  if (f > n) report.add(kCurrentsRight);
  if (f == n) report.add(kCurrentsEqual);
  if (f < n) report.add(kCurrentsWrong);
  if (f == -1 || n == -1) report.add(kCurrentMissing);

  report.add(BandRule(
      set.thiszt,
      {{-1, -1, {"A Hiszterézis ideje nincs megadva! Így nem használható!", true}},
       {0, 2, {"A Hiszterézis ideje eléggé szűk, de használható így is.", false}},
       {3, 100, {"A Hiszterézis ideje megfelelő.", false}},
       {101,
        255,
        {"A Hiszterézis ideje eléggé nagy! Ha nem muszály inkább használjon kisebb értéket, de "
         "így is használható.",
         false}}}));

  report.add(BandRule(
      set.minta,
      {{-1, -1, {"A Mintavételezés ideje nincs megadva! Így nem használható!", true}},
       {0, 0, {"A Mintavételezés ideje eléggé szűk, de használható így is.", false}},
       {1, 100, {"A Mintavételezés ideje megfelelő.", false}},
       {101,
        255,
        {"A Mintavételezés ideje túl nagy! Ha nem muszály inkább használjon kisebb értéket, de "
         "így is használható.",
         false}}}));

  report.add(
      BandRule(set.tkarbantarto,
               {{-1, -1, {"A Karbantartás időpontja nincs megadva! Így nem használható!", true}},
                {0, 1, {"A Karbantartás időpontja eléggé közeli, de használható így is.", false}},
                {2, 100, {"A Karbantartás időpontja megfelelő.", false}},
                {101,
                 255,
                 {"A Karbantartás időpontja túl soká lesz! Ha nem muszály inkább használjon kisebb "
                  "értéket, de így is használható.",
                  false}}}));

  return report.finish();
}

}  // namespace voltander

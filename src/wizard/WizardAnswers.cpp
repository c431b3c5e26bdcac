#include "wizard/WizardAnswers.h"

#include <cfloat>
#include <cmath>

#include "common/LeadingNumber.h"
#include "common/Rounding.h"

namespace voltander {

namespace {

constexpr int kAutoInterval = 255;
constexpr int kKeepInterval = kAutoInterval;

constexpr std::array<BatteryType, 5> kTypes = {{
    {"1", "Savas (ólom)", 1.83f, 2.13f, kKeepInterval},
    {"2", "Zselés (ólom)", 1.83f, 2.13f, kKeepInterval},
    {"3", "NiCd", 1.0f, 1.45f, 30},
    {"4", "NiMH", 1.1f, 1.48f, 90},
    {"5", "Li-ion", 3.0f, 4.2f, 250},
}};

}  // namespace

const std::array<BatteryType, 5>& BatteryTypes() { return kTypes; }

const BatteryType* BatteryTypeFor(std::string_view answer) {
  for (const BatteryType& t : kTypes) {
    if (answer == t.answer) return &t;
  }
  return nullptr;
}

std::optional<double> AcceptCells(std::string_view text) {
  const double cells = LeadingNumber(text);
  if (cells >= 1 && cells <= 12) return cells;
  return std::nullopt;
}

std::optional<double> AcceptCapacity(std::string_view text) {
  const double capacity = LeadingNumber(text);
  if (capacity >= 100 && capacity <= 30000) return capacity;
  return std::nullopt;
}

std::optional<float> AcceptLoad(std::string_view text) {
  const double typed = LeadingNumber(text);
  // Beyond the float range the narrowing itself would be undefined; such a load is
  // out of range anyway.
  if (!(std::fabs(typed) <= FLT_MAX)) return std::nullopt;
  const auto load = static_cast<float>(typed);
  if (load >= 0 && load <= 12000) return load;
  return std::nullopt;
}

std::optional<int> AcceptInterval(std::string_view text) {
  if (text == "Auto") return kAutoInterval;
  const double days = RoundHalfEven(LeadingNumber(text));
  if (days >= 2 && days <= 256) return static_cast<int>(days);
  return std::nullopt;
}

int ResolveInterval(int interval, const BatteryType& type) {
  return interval == kAutoInterval ? type.intervalFor255 : interval;
}

}  // namespace voltander

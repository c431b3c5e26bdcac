#include "calibration/DividerModel.h"

#include <cmath>

#include "common/PatternFormat.h"
#include "common/Rounding.h"

namespace voltander {

namespace {
constexpr int kFirstDividedRow = 28;
constexpr float kLargestSendable = 32767.0f;
}  // namespace

double VccVolts(int j) { return 4.0 + j / 100.0; }

double RhiVolts(int i) { return i / 100.0; }

float RatioFromEntries(int vccIndex, int rhiIndex) {
  return static_cast<float>(VccVolts(vccIndex) / RhiVolts(rhiIndex));
}

std::optional<int> RhiEntryForRatio(float ratio) {
  if (!std::isfinite(ratio) || !(ratio > 1.0f)) return std::nullopt;
  const float testPin = 5.0f / ratio;
  const float entry = std::floor(testPin * 100.0f);
  // Just above 1 the single-precision product can still land on 500.
  if (!(entry >= 0.0f && entry < static_cast<float>(kRhiEntries))) return std::nullopt;
  return static_cast<int>(entry);
}

std::string ThresholdList(const VoltageTable& voltages, bool dividedOnly,
                          std::string_view decimalSeparator) {
  std::string text;
  for (int k = 1; k <= kLastVoltageRow; ++k) {
    const bool divided = k >= kFirstDividedRow;
    if (!divided && dividedOnly) continue;
    if (!text.empty()) text += "\r\n";
    text += FormatPattern(voltages[k][0], "0.000 V", decimalSeparator);
    if (divided) text += "*";
  }
  return text;
}

std::optional<std::uint16_t> RatioTimes1000(float ratio) {
  // A small negative ratio would otherwise round to a harmless-looking 0.
  if (!(ratio >= 0.0f)) return std::nullopt;
  const float product = ratio * 1000.0f;
  const double n = RoundHalfEven(product);
  if (!(n >= 0.0 && n <= kLargestSendable)) return std::nullopt;
  return static_cast<std::uint16_t>(n);
}

}  // namespace voltander

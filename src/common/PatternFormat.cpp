#include "common/PatternFormat.h"

#include <cmath>
#include <cstdio>

namespace voltander {

namespace {

// Rounds |value| to n decimals, halves away from zero, and returns the digits.
std::string FixedDigits(double magnitude, int decimals) {
  const long double scale = std::pow(10.0L, decimals);
  const long double scaled = static_cast<long double>(magnitude) * scale;
  long double whole = std::floor(scaled);
  if (scaled - whole >= 0.5L) whole += 1.0L;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0Lf", whole);
  std::string digits = buf;
  if (decimals > 0) {
    if (digits.size() <= static_cast<std::size_t>(decimals)) {
      digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    }
  }
  return digits;
}

}  // namespace

std::string FormatPattern(double value, std::string_view pattern,
                          std::string_view decimalSeparator) {
  std::size_t pos = 0;
  while (pos < pattern.size() && pattern[pos] == '0') ++pos;
  int decimals = 0;
  if (pos < pattern.size() && pattern[pos] == '.' && pos + 1 < pattern.size() &&
      pattern[pos + 1] == '0') {
    ++pos;
    while (pos < pattern.size() && pattern[pos] == '0') {
      ++decimals;
      ++pos;
    }
  }
  const std::string_view literal = pattern.substr(pos);

  if (!std::isfinite(value)) return std::string(value != value ? "NaN" : "Inf") += literal;

  std::string digits = FixedDigits(std::fabs(value), decimals);
  bool zero = digits.find_first_not_of('0') == std::string::npos;
  std::string out = (value < 0 && !zero) ? "-" : "";
  if (decimals > 0) {
    const std::size_t split = digits.size() - static_cast<std::size_t>(decimals);
    out += digits.substr(0, split);
    out += decimalSeparator;
    out += digits.substr(split);
  } else {
    out += digits;
  }
  out += literal;
  return out;
}

}  // namespace voltander

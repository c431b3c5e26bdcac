// Display texts of the lists and the calibration window use fixed patterns such as
// "0.000 V": a fixed number of decimals, the locale's separator and a literal unit.
#pragma once

#include <string>
#include <string_view>

namespace voltander {

// pattern: "0" or "0." followed by zeros, then any literal text ("0.000 V",
// "0 s", "0.00"). Halves round away from zero. Shown only, never parsed back.
std::string FormatPattern(double value, std::string_view pattern,
                          std::string_view decimalSeparator);

}  // namespace voltander

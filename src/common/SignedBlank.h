// Numbers become text in titles, parameter files and summaries in one way only:
// a blank or a minus sign in the sign place, a point whatever the locale.
#pragma once

#include <cstdint>
#include <string>

namespace voltander {

// Whole numbers: " 4", "-1", " 0".
std::string SignedBlank(std::int64_t value);

// Single-precision values: at most seven significant digits, no trailing zeros,
// no point for whole values, no zero before the point below 1 (" .5"),
// exponent form (" 1.234568E+07", " 1E-06") outside 1E-5 <= |x| < 1E7.
std::string SignedBlank(float value);

}  // namespace voltander

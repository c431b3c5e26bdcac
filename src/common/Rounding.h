// Conversions to whole numbers round halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4); a value that does not fit is reported, never wrapped.
#pragma once

#include <cstdint>

namespace voltander {

// Nearest whole number, halves to even.
double RoundHalfEven(double value);

// The result of a conversion to a signed 16-bit integer.
struct Int16Result {
  std::int16_t value = 0;
  int error = 0;  // 0, or 6 (overflow): the caller reports it and applies nothing
};

Int16Result ToInt16(double value);

}  // namespace voltander

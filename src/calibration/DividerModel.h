// The arithmetic of the calibration window, kept apart from its controls so every
// rounding step can be checked on its own: the ratio from the two voltage lists, the
// list entry an existing ratio points at, the threshold list and the number that
// carries the ratio to the controller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/Kozos.h"

namespace voltander {

inline constexpr int kVccEntries = 201;  // 4.00 V to 6.00 V
inline constexpr int kRhiEntries = 500;  // 0.00 V to 4.99 V
inline constexpr int kVccAtFiveVolts = 100;

// Supply voltage of Vcc entry j and test-pin voltage of Rhi entry i.
double VccVolts(int j);
double RhiVolts(int i);

// Supply over test-pin voltage, in double and then stored as single precision.
// Rhi entry 0 forms no ratio; callers test for it first.
float RatioFromEntries(int vccIndex, int rhiIndex);

// The Rhi entry that ratio gives at a 5.00 V supply: floor(5 / ratio * 100) in
// single precision. None for a ratio that is not a finite number above 1, which
// would need a division by zero or point past the list.
std::optional<int> RhiEntryForRatio(float ratio);

// One line per row 1..53 of the voltage table, "0.000 V", rows above 27 marked "*";
// the base rows are left out when dividedOnly. Lines joined by CR LF.
std::string ThresholdList(const VoltageTable& voltages, bool dividedOnly,
                          std::string_view decimalSeparator);

// N = ratio x 1000, the product in single precision, halves to even. None when N
// falls outside 0..32767, the range the controller's reply can carry back.
std::optional<std::uint16_t> RatioTimes1000(float ratio);

}  // namespace voltander

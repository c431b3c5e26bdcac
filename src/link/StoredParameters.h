// The stored-parameter reply names each list entry indirectly: by a code byte that
// the step tables carry, or by a 1-based position. These turn such a byte into the
// list position to select, or into nothing when the byte names no entry at all, so a
// damaged reply leaves the list as it was instead of selecting a wrong entry.
#pragma once

#include <cstdint>
#include <optional>

#include "common/Kozos.h"

namespace voltander {

// Position in a voltage list (rows 2 to 53). The first row carrying the code wins;
// row 1 is shown as no selection (-1); row 0 and unknown codes give nothing.
std::optional<int> VoltagePositionForCode(const VoltageTable& steps, std::uint8_t code);

// Position in a current list (steps 1 to 15); step 0 is no selection (-1), unknown
// codes give nothing.
std::optional<int> CurrentPositionForCode(const CurrentTable& steps, std::uint8_t code);

// Position of a 1-based entry number in a list of count entries; 0 is no selection
// (-1), a number past the end gives nothing.
std::optional<int> PositionForOrdinal(std::uint8_t ordinal, int count);

}  // namespace voltander

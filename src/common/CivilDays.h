// Calendar dates as day counts and back, for the time stamps of the history and of the
// published state. Proleptic Gregorian, any year, no time zone data needed.
#pragma once

#include <cstdint>

namespace voltander {

// Days since 1970-01-01.
std::int64_t DaysFromCivil(int y, int m, int d);
void CivilFromDays(std::int64_t z, int& y, int& m, int& d);

}  // namespace voltander

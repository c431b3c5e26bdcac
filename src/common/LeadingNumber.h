// Texts become numbers in one way only: the leading number of the text, with
// blanks, tabs and line feeds ignored anywhere, and 0 when there is none.
#pragma once

#include <optional>
#include <string_view>

namespace voltander {

// Optional sign, digits with at most one point, optional exponent (E or D),
// or an integer after &H (hexadecimal) or &O (octal). Stops at the first
// character that does not fit.
double LeadingNumber(std::string_view text);

// The number the whole text holds (blanks, tabs and line feeds aside), or nothing
// when any other character is left over or there is no number at all.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace voltander

// The thresholds and currents the controller can realise, with their code bytes,
// and the texts of the seven parameter lists that offer them.
#pragma once

#include <string>
#include <string_view>

#include "common/Kozos.h"
#include "params/ParameterSet.h"

namespace voltander {

// Base rows 0 to 27 fixed; rows 28 to 53 are ratio times rows 2 to 27 with bit 4 of
// the code cleared. Pure: tables from the ratio.
void ComputeStepTables(float ratio, VoltageTable& voltages, CurrentTable& currents);

// Entry counts of the seven lists.
inline constexpr int kVoltageEntries = 52;  // rows 2 to 53
inline constexpr int kCurrentEntries = 15;  // rows 1 to 15
inline constexpr int kTimeEntries = 255;

// Entry texts: "0.417 V", "1.666 V*"; "0.070 A"; "1 s"; "1. s"; "2. napon".
std::string VoltageEntryText(const VoltageTable& voltages, int row, std::string_view sep);
std::string CurrentEntryText(const CurrentTable& currents, int row, std::string_view sep);
std::string ThisztEntryText(int index);
std::string MintaEntryText(int index);
std::string TkarbantartoEntryText(int index);

// Recomputes the tables of kozos from kozos.DividerRatio and rewrites the texts of
// the seven lists in place, numbers with the user's separator; no selection moves.
void BuildStepTables(Kozos& kozos, const ParameterLists& lists, std::string_view separator);

}  // namespace voltander

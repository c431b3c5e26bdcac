// The session file: UTF-8 text, a header line, then one entry a line with an
// ISO-8601 time carrying its offset and a point as the decimal separator. The
// reader keeps what a crash left: a last line without its line feed is skipped.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "history/HistoryEntry.h"

namespace voltander::history {

extern const char* const kCsvHeader;

// "2026-03-01T08:15:00.250+01:00"
std::string IsoTime(const LocalTime& t);
// "2026-03-01_08-15-00.csv"
std::string SessionFileName(const LocalTime& t);
// One line without its line feed.
std::string CsvLine(const Entry& e);
// Every complete, well-formed line of text; headers and damaged lines are skipped.
std::vector<Entry> ReadCsv(std::string_view text);

}  // namespace voltander::history

// The session file: UTF-8 text, a header line, then one entry a line with an
// ISO-8601 time carrying its offset and a point as the decimal separator. The
// reader keeps what a crash left: a last line without its line feed is skipped.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "history/HistoryEntry.h"

namespace voltander::history {

extern const char* const kCsvHeader;
// Far longer than any line the recorder writes: a longer one is damage, skipped.
inline constexpr std::size_t kLongestLine = 4096;

// "2026-03-01T08:15:00.250+01:00"
std::string IsoTime(const LocalTime& t);
// One line without its line feed.
std::string CsvLine(const Entry& e);
// Every complete, well-formed line of text; headers and damaged lines are skipped.
std::vector<Entry> ReadCsv(std::string_view text);
// The same line by line, with each line's offset in text; returns how much of text
// ends with a line feed (the rest is a line still to come, or one a crash cut off).
std::size_t ReadCsvLines(std::string_view text,
                         const std::function<void(Entry&&, std::size_t offset)>& use);

}  // namespace voltander::history

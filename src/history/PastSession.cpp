#include "history/PastSession.h"

#include <algorithm>
#include <optional>

#include "history/HistoryCsv.h"
#include "history/SessionNames.h"
#include "history/SessionReader.h"

namespace voltander::history {

namespace {

constexpr std::uint64_t kReadPiece = 1 << 20;

// The first entry of a file, from its first lines.
std::optional<Entry> FirstEntry(SessionFiles& folder, const std::string& name) {
  std::optional<Entry> first;
  ReadCsvLines(folder.read(name, 0, 16 * kLongestLine), [&](Entry&& e, std::size_t) {
    if (!first) first = std::move(e);
  });
  return first;
}

}  // namespace

void PastSession::read(const std::string& name) {
  const PartName chosen = ParsePartName(name);
  std::vector<std::string> parts;
  if (chosen.serial > 0) {
    for (const SessionFileInfo& f : folder_.list())
      if (SameSession(f.name, name)) parts.push_back(f.name);
    std::sort(parts.begin(), parts.end(), StartedBefore);
  }
  if (parts.empty()) parts.push_back(name);
  // Older hours are read back from the parts as they are zoomed into.
  timeline_.readFrom(
      [this](std::uint64_t offset, std::uint64_t length) { return stream_.read(offset, length); });
  SessionReader reader(timeline_, summary_);
  std::uint64_t fed = 0;
  long next = 1;  // the part that follows the last one read
  for (const std::string& part : parts) {
    const std::optional<Entry> first = FirstEntry(folder_, part);
    const long number = ParsePartName(part).part;
    if (number > next && first) {
      // Parts before this one are missing: from the last entry read, or from the
      // session's start when none was.
      LocalTime start = chosen.start;
      start.offsetMinutes = first->offsetMinutes;
      const double from = timeline_.empty() ? EpochSeconds(start) : timeline_.last();
      timeline_.addGap(from, first->seconds);
    }
    stream_.parts().push_back({part, fed, first ? first->seconds : 0});
    for (std::string piece;
         !(piece = folder_.read(part, fed - stream_.parts().back().base, kReadPiece)).empty();) {
      reader.feed(piece);
      fed += piece.size();
    }
    next = std::max(next, number + 1);
  }
}

}  // namespace voltander::history

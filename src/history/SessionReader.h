// A session file read piece by piece into a timeline and a summary, so a file of
// months opens without ever holding its records: only the line still to be
// completed by the next piece is kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "history/SessionSummary.h"
#include "history/Timeline.h"

namespace voltander::history {

class SessionReader {
 public:
  SessionReader(Timeline& timeline, SessionSummary& summary)
      : timeline_(timeline), summary_(summary) {}

  // The next bytes of the file, cut anywhere.
  void feed(std::string_view piece);
  // Bytes taken so far, up to the last complete line.
  std::uint64_t complete() const { return offset_; }

 private:
  std::size_t take(std::string_view text);

  Timeline& timeline_;
  SessionSummary& summary_;
  std::string partial_;
  std::uint64_t offset_ = 0;  // of partial_'s first byte in the file
  bool skipping_ = false;     // inside a line too long to be one
};

}  // namespace voltander::history

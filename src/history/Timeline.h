// A run as the chart needs it, in bounded memory: the min/max levels for the whole
// run, every reply of the recent hours in a ring, the latest events, and for older
// hours an index into the session file to read their replies back from it, and
// where parts of that file were deleted. A session of months thus costs a few
// megabytes, and zooming into any hour that was saved still shows every reply.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "history/HistoryEntry.h"
#include "history/MinMaxLevels.h"

namespace voltander::history {

// At one reply every 2 s, 65,536 replies are the last 36 hours.
inline constexpr std::size_t kRecentReplies = 65536;
inline constexpr std::size_t kKeptEvents = 4096;
inline constexpr std::size_t kKeptGaps = 4096;

// A time whose replies are no longer in the session's files.
struct Gap {
  double from = 0, to = 0;
  bool operator==(const Gap&) const = default;
};

class Timeline {
 public:
  // The bytes [offset, offset + length) of the file the index points into.
  using ReadBack = std::function<std::string(std::uint64_t offset, std::uint64_t length)>;

  explicit Timeline(std::size_t recent = kRecentReplies, int levelCapacity = 65536);

  // The entry written to the file at offset (a line of its own), or kNoOffset.
  static constexpr std::uint64_t kNoOffset = ~std::uint64_t{0};
  void add(const Entry& e, std::uint64_t offset = kNoOffset);
  // A new file for the entries that follow; its older index is dropped.
  void readFrom(ReadBack readBack);
  // The file ends at `end`: what read-back may read up to.
  void setFileEnd(std::uint64_t end) { fileEnd_ = end; }
  // [from, to] can no longer be read back (its part of the file was deleted).
  void addGap(double from, double to);

  bool empty() const { return !any_; }
  double first() const { return first_; }
  double last() const { return last_; }
  // From when every reply can still be shown.
  double detailFrom() const;
  // Every reply in [t0, t1], and one beyond each edge when there is one.
  std::vector<Point> detail(double t0, double t1) const;
  const MinMaxLevels& levels() const { return levels_; }
  // What the store holds in memory, roughly: it stops growing after the first days.
  std::size_t bytes() const;
  const std::deque<Entry>& events() const { return events_; }
  // The gaps that reach into [t0, t1].
  std::vector<Gap> gapsIn(double t0, double t1) const;

 private:
  std::vector<Point> readBack(double t0, double t1) const;
  std::vector<Point> recentIn(double t0, double t1) const;
  double recentFrom() const { return recent_.empty() ? last_ : recent_.front().t; }

  MinMaxLevels levels_;
  std::size_t recentCap_;
  std::deque<Point> recent_;
  std::deque<Entry> events_;
  std::deque<Gap> gaps_;
  bool any_ = false;
  double first_ = 0, last_ = 0;

  // One (time, offset) per block of the file; the blocks double when there are too many.
  struct Mark {
    double t;
    std::uint64_t offset;
  };
  ReadBack read_;
  std::vector<Mark> index_;
  double block_ = 600;
  std::uint64_t fileEnd_ = 0;
};

}  // namespace voltander::history

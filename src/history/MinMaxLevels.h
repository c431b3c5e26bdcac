// The whole run at a fixed memory cost: each level cuts time into equal slices and
// keeps, per slice, only the lowest and highest duty, the states seen and whether a
// fault or the calibration loop was seen. A level is a ring of fixed size, so the
// fine ones hold the recent days and the coarsest one the whole run; nothing short
// disappears at any zoom, it only merges into its slice.
#pragma once

#include <cstdint>
#include <vector>

namespace voltander::history {

// A status reply reduced to what the chart draws.
struct Point {
  double t = 0;  // seconds since the epoch
  std::uint8_t duty = 0;
  std::uint8_t state = 0;
  bool fault = false;
  bool loop = false;
};

// What one slice of time held; empty when no reply fell into it.
struct Bucket {
  std::uint8_t lo = 255, hi = 0;
  std::uint8_t states = 0;  // bit s: state s seen; states above 6 share bit 6
  std::uint8_t flags = 0;   // kSeen, kFault, kLoop

  static constexpr std::uint8_t kSeen = 1, kFault = 2, kLoop = 4;
  bool empty() const { return (flags & kSeen) == 0; }
  void add(const Point& p);
  void merge(const Bucket& b);
};

class MinMaxLevels {
 public:
  // Slices of 16 s, 128 s, 1024 s and 8192 s; each ring holds `capacity` slices.
  explicit MinMaxLevels(int capacity = 65536);

  void add(const Point& p);
  bool empty() const { return levels_.front().last < levels_.front().first; }
  // One bucket per column of width (t1 - t0) / columns, from the finest level that
  // still holds t0 and whose slices are no wider than a column (else the coarsest).
  std::vector<Bucket> columns(double t0, double t1, int columns) const;
  std::size_t bytes() const;

 private:
  struct Level {
    double width;
    std::int64_t first = 0, last = -1;  // slice numbers held
    std::vector<Bucket> ring;
  };
  const Level& pick(double t0, double pixel) const;
  std::int64_t slice(const Level& l, double t) const;

  int capacity_;
  double origin_ = 0;
  double newest_ = 0;
  std::vector<Level> levels_;
};

}  // namespace voltander::history

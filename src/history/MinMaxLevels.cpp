#include "history/MinMaxLevels.h"

#include <algorithm>
#include <cmath>

namespace voltander::history {

void Bucket::add(const Point& p) {
  lo = std::min(lo, p.duty);
  hi = std::max(hi, p.duty);
  states |= static_cast<std::uint8_t>(1u << std::min<int>(p.state, 6));
  flags |= kSeen | (p.fault ? kFault : 0) | (p.loop ? kLoop : 0);
}

void Bucket::merge(const Bucket& b) {
  if (b.empty()) return;
  lo = std::min(lo, b.lo);
  hi = std::max(hi, b.hi);
  states |= b.states;
  flags |= b.flags;
}

MinMaxLevels::MinMaxLevels(int capacity) : capacity_(std::max(capacity, 2)) {
  for (double width : {16.0, 128.0, 1024.0, 8192.0}) levels_.push_back({width, 0, -1, {}});
}

std::int64_t MinMaxLevels::slice(const Level& l, double t) const {
  return static_cast<std::int64_t>(std::floor((t - origin_) / l.width));
}

void MinMaxLevels::add(const Point& in) {
  if (!std::isfinite(in.t)) return;
  if (empty()) origin_ = newest_ = in.t;
  Point p = in;
  // A clock set back files its replies with the newest, never before the start.
  p.t = std::max(p.t, newest_);
  newest_ = p.t;
  const auto size = static_cast<std::int64_t>(capacity_);
  for (Level& l : levels_) {
    if (l.ring.empty()) l.ring.assign(static_cast<std::size_t>(capacity_), Bucket{});
    const std::int64_t n = slice(l, p.t);
    if (l.last < l.first || n - l.last >= size) {
      std::fill(l.ring.begin(), l.ring.end(), Bucket{});
      l.first = l.last = n;
    }
    for (; l.last < n; ++l.last) l.ring[static_cast<std::size_t>((l.last + 1) % size)] = Bucket{};
    l.first = std::max(l.first, l.last - size + 1);
    l.ring[static_cast<std::size_t>(n % size)].add(p);
  }
}

const MinMaxLevels::Level& MinMaxLevels::pick(double t0, double pixel) const {
  // The coarsest level with slices no wider than a pixel, else the finest that
  // holds t0, else the coarsest.
  const Level* best = &levels_.back();
  for (const Level& l : levels_) {
    const bool holds = slice(l, t0) >= l.first || l.first == slice(l, origin_);
    if (!holds) continue;
    best = &l;
    if (l.width * 8 > pixel) break;
  }
  return *best;
}

std::size_t MinMaxLevels::bytes() const {
  std::size_t total = 0;
  for (const Level& l : levels_) total += l.ring.capacity() * sizeof(Bucket);
  return total;
}

std::vector<Bucket> MinMaxLevels::columns(double t0, double t1, int columns) const {
  std::vector<Bucket> out(static_cast<std::size_t>(std::max(columns, 0)));
  if (empty() || columns < 1 || !(t1 > t0)) return out;
  const double pixel = (t1 - t0) / columns;
  const Level& l = pick(t0, pixel);
  const auto size = static_cast<std::int64_t>(capacity_);
  for (int c = 0; c < columns; ++c) {
    const std::int64_t from = std::max(slice(l, t0 + c * pixel), l.first);
    const std::int64_t to = std::min(slice(l, t0 + (c + 1) * pixel), l.last);
    for (std::int64_t n = from; n <= to; ++n)
      out[static_cast<std::size_t>(c)].merge(l.ring[static_cast<std::size_t>(n % size)]);
  }
  return out;
}

}  // namespace voltander::history

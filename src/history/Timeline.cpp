#include "history/Timeline.h"

#include <algorithm>
#include <cmath>

#include "history/HistoryCsv.h"

namespace voltander::history {

namespace {

constexpr std::size_t kMaxMarks = 16384;

}  // namespace

Timeline::Timeline(std::size_t recent, int levelCapacity)
    : levels_(levelCapacity), recentCap_(std::max<std::size_t>(recent, 1)) {}

void Timeline::add(const Entry& e, std::uint64_t offset) {
  if (!std::isfinite(e.seconds)) return;
  first_ = any_ ? std::min(first_, e.seconds) : e.seconds;
  last_ = any_ ? std::max(last_, e.seconds) : e.seconds;
  any_ = true;
  if (e.kind == EntryKind::Status) {
    const Point p{e.seconds, e.duty, e.state, e.fault, e.calibrationLoop};
    levels_.add(p);
    if (recent_.size() == recentCap_) recent_.pop_front();
    recent_.push_back(p);
  } else {
    if (events_.size() == kKeptEvents) events_.pop_front();
    events_.push_back(e);
  }
  if (!read_ || offset == kNoOffset) return;
  if (index_.empty() || e.seconds >= index_.back().t + block_) {
    if (index_.size() == kMaxMarks) {
      // Every other mark goes: twice the blocks, still the whole file.
      std::vector<Mark> half;
      for (std::size_t k = 0; k < index_.size(); k += 2) half.push_back(index_[k]);
      index_ = std::move(half);
      block_ *= 2;
    }
    index_.push_back({e.seconds, offset});
  }
}

void Timeline::readFrom(ReadBack readBack) {
  read_ = std::move(readBack);
  index_.clear();
  block_ = 600;
  fileEnd_ = 0;
}

void Timeline::addGap(double from, double to) {
  // The parts of a session go oldest first, so a new gap mostly joins the last one.
  if (!gaps_.empty() && from <= gaps_.back().to && to >= gaps_.back().from) {
    gaps_.back() = {std::min(from, gaps_.back().from), std::max(to, gaps_.back().to)};
    return;
  }
  if (gaps_.size() == kKeptGaps) gaps_.pop_front();
  gaps_.push_back({from, to});
}

std::vector<Gap> Timeline::gapsIn(double t0, double t1) const {
  std::vector<Gap> out;
  for (const Gap& g : gaps_)
    if (g.from <= t1 && g.to >= t0) out.push_back(g);
  return out;
}

std::size_t Timeline::bytes() const {
  std::size_t events = 0;
  for (const Entry& e : events_) events += sizeof(Entry) + e.detail.capacity();
  return levels_.bytes() + recent_.size() * sizeof(Point) + events +
         index_.capacity() * sizeof(Mark) + gaps_.size() * sizeof(Gap);
}

double Timeline::detailFrom() const {
  double from = recentFrom();
  if (read_ && !index_.empty()) from = std::min(from, index_.front().t);
  return from;
}

std::vector<Point> Timeline::recentIn(double t0, double t1) const {
  const auto before = [](const Point& p, double t) { return p.t < t; };
  auto from = std::lower_bound(recent_.begin(), recent_.end(), t0, before);
  auto to = std::lower_bound(from, recent_.end(), t1, before);
  if (from != recent_.begin()) --from;
  if (to != recent_.end()) ++to;
  return {from, to};
}

std::vector<Point> Timeline::readBack(double t0, double t1) const {
  std::vector<Point> out;
  if (!read_ || index_.empty()) return out;
  const auto after = [](double t, const Mark& m) { return t < m.t; };
  // From a block starting before t0, for the reply before the range.
  auto from = std::lower_bound(index_.begin(), index_.end(), t0,
                               [](const Mark& m, double t) { return m.t < t; });
  if (from != index_.begin()) --from;
  auto to = std::upper_bound(from, index_.end(), t1, after);
  // One block past the range, for the reply beyond its edge.
  if (to != index_.end()) ++to;
  const std::uint64_t end = to == index_.end() ? fileEnd_ : to->offset;
  if (end <= from->offset) return out;
  const std::string text = read_(from->offset, end - from->offset);
  ReadCsvLines(text, [&](Entry&& e, std::size_t) {
    if (e.kind == EntryKind::Status)
      out.push_back({e.seconds, e.duty, e.state, e.fault, e.calibrationLoop});
  });
  std::stable_sort(out.begin(), out.end(), [](const Point& a, const Point& b) { return a.t < b.t; });
  return out;
}

std::vector<Point> Timeline::detail(double t0, double t1) const {
  const double recent = recentFrom();
  if (t0 >= recent || !read_) return recentIn(t0, t1);
  std::vector<Point> out = readBack(t0, t1);
  std::erase_if(out, [&](const Point& p) { return p.t >= recent; });
  if (t1 >= recent) {
    const std::vector<Point> kept = recentIn(recent, t1);
    out.insert(out.end(), kept.begin(), kept.end());
  }
  const auto before = [](const Point& p, double t) { return p.t < t; };
  auto from = std::lower_bound(out.begin(), out.end(), t0, before);
  auto to = std::upper_bound(from, out.end(), t1, [](double t, const Point& p) { return t < p.t; });
  if (from != out.begin()) --from;
  if (to != out.end()) ++to;
  return {from, to};
}

}  // namespace voltander::history

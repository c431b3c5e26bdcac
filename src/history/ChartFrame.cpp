#include "history/ChartFrame.h"

#include <algorithm>

#include "history/SessionSummary.h"

namespace voltander::history {

namespace {

// Replies come every 2 s; a view with columns under the finest slice tells them apart.
constexpr double kFinestSlice = 16;

std::vector<Span> Only(const std::vector<Span>& runs, int value, double t0, double t1,
                       double pixel) {
  std::vector<Span> mine;
  for (const Span& s : runs)
    if (s.value == value && s.t1 >= t0 && s.t0 <= t1) mine.push_back(s);
  return MergeForDrawing(mine, pixel);
}

void FromReplies(ChartFrame& f, const std::vector<Point>& points, double t0, double t1,
                 int pixels) {
  std::vector<Sample> duty, state, fault, loop;
  for (const Point& p : points) {
    duty.push_back({p.t, p.duty * 100.0 / 255.0});
    state.push_back({p.t, static_cast<double>(p.state)});
    fault.push_back({p.t, p.fault ? 1.0 : 0.0});
    loop.push_back({p.t, p.loop ? 1.0 : 0.0});
  }
  const double pixel = (t1 - t0) / pixels;
  f.duty = MinMaxDownsample(duty, t0, t1, pixels);
  const std::vector<Span> states = Runs(state, kReplyHolds);
  for (int s = 0; s < 5; ++s) f.states[s] = Only(states, s, t0, t1, pixel);
  f.fault = Only(Runs(fault, kReplyHolds), 1, t0, t1, pixel);
  f.loop = Only(Runs(loop, kReplyHolds), 1, t0, t1, pixel);
}

// Consecutive columns with the bit set, as spans.
std::vector<Span> ColumnSpans(const std::vector<Bucket>& columns, double t0, double pixel,
                              bool (*has)(const Bucket&)) {
  std::vector<Span> out;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    if (!has(columns[c])) continue;
    const double a = t0 + c * pixel, b = a + pixel;
    if (!out.empty() && out.back().t1 >= a - pixel / 2)
      out.back().t1 = b;
    else
      out.push_back({a, b, 1});
  }
  return out;
}

void FromColumns(ChartFrame& f, const MinMaxLevels& levels, double t0, double t1, int pixels) {
  const std::vector<Bucket> columns = levels.columns(t0, t1, pixels);
  const double pixel = (t1 - t0) / pixels;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const Bucket& b = columns[c];
    if (b.empty()) continue;
    const double middle = t0 + (c + 0.5) * pixel;
    f.dutyLow.push_back({middle, b.lo * 100.0 / 255.0});
    f.dutyHigh.push_back({middle, b.hi * 100.0 / 255.0});
  }
  static constexpr std::array<bool (*)(const Bucket&), 5> kState = {
      [](const Bucket& b) { return (b.states & 1) != 0; },
      [](const Bucket& b) { return (b.states & 2) != 0; },
      [](const Bucket& b) { return (b.states & 4) != 0; },
      [](const Bucket& b) { return (b.states & 8) != 0; },
      [](const Bucket& b) { return (b.states & 16) != 0; }};
  for (std::size_t s = 0; s < kState.size(); ++s)
    f.states[s] = ColumnSpans(columns, t0, pixel, kState[s]);
  f.fault = ColumnSpans(columns, t0, pixel,
                        [](const Bucket& b) { return (b.flags & Bucket::kFault) != 0; });
  f.loop = ColumnSpans(columns, t0, pixel,
                       [](const Bucket& b) { return (b.flags & Bucket::kLoop) != 0; });
}

}  // namespace

ChartFrame Frame(const Timeline& timeline, double t0, double t1, int pixels) {
  ChartFrame f;
  pixels = std::max(pixels, 1);
  if (timeline.empty() || !(t1 > t0)) return f;
  const double pixel = (t1 - t0) / pixels;
  const double from = std::max(t0, timeline.first());
  const bool detailed = from >= timeline.detailFrom();
  f.gaps = timeline.gapsIn(t0, t1);
  // Where a part of the file is gone, its replies cannot be read back; the slices
  // kept in memory still hold them.
  if (pixel < kFinestSlice && detailed && f.gaps.empty()) {
    FromReplies(f, timeline.detail(t0, t1), t0, t1, pixels);
  } else {
    FromColumns(f, timeline.levels(), t0, t1, pixels);
    f.detailMissing = pixel < kFinestSlice && !detailed;
  }
  for (const Entry& e : timeline.events())
    if (e.seconds >= t0 && e.seconds <= t1) f.events.push_back(e);
  return f;
}

bool SameDrawing(const ChartFrame& a, const ChartFrame& b) {
  const auto sameEvents = [&] {
    if (a.events.size() != b.events.size()) return false;
    for (std::size_t k = 0; k < a.events.size(); ++k)
      if (a.events[k].seconds != b.events[k].seconds || a.events[k].kind != b.events[k].kind)
        return false;
    return true;
  };
  return a.duty == b.duty && a.dutyLow == b.dutyLow && a.dutyHigh == b.dutyHigh &&
         a.states == b.states && a.fault == b.fault && a.loop == b.loop &&
         a.detailMissing == b.detailMissing && a.gaps == b.gaps && sameEvents();
}

}  // namespace voltander::history

// What the chart draws for one view of a run, worked out from the bounded store:
// at most a few points and spans per pixel column, however many replies lie behind
// them. Views narrow enough to tell replies apart get every reply; wider ones get
// each column's extremes and the states it saw.
#pragma once

#include <array>
#include <vector>

#include "history/Downsample.h"
#include "history/Timeline.h"

namespace voltander::history {

struct ChartFrame {
  // Percent over seconds: every reply's duty when the view tells them apart, else
  // each column's lowest and highest as the two edges of a band.
  std::vector<Sample> duty, dutyLow, dutyHigh;
  std::array<std::vector<Span>, 5> states;
  std::vector<Span> fault, loop;
  std::vector<Entry> events;
  // The view reaches back past what is still kept in detail (the saving was off).
  bool detailMissing = false;
  // Times in the view whose part of the session file was deleted.
  std::vector<Gap> gaps;
};

// [t0, t1] in seconds over `pixels` columns.
ChartFrame Frame(const Timeline& timeline, double t0, double t1, int pixels);
// Whether two frames draw the same picture: a reply that changes no pixel of a
// zoomed-out view needs no drawing at all.
bool SameDrawing(const ChartFrame& a, const ChartFrame& b);

}  // namespace voltander::history

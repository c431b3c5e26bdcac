// What the chart draws of a long history: far fewer points than records, chosen so
// that every peak and dip of a pixel column survives, and the state, fault and
// calibration-loop times as spans that never shrink below one column.
#pragma once

#include <span>
#include <vector>

namespace voltander::history {

struct Sample {
  double t = 0;
  double v = 0;
  bool operator==(const Sample&) const = default;
};

// Time-sorted samples reduced to at most four a bucket (its first, lowest, highest
// and last, in time order) over `buckets` equal slices of [t0, t1]. One sample on
// each side of the range is kept, so the line runs to the edges.
std::vector<Sample> MinMaxDownsample(std::span<const Sample> samples, double t0, double t1,
                                     int buckets);

struct Span {
  double t0 = 0;
  double t1 = 0;
  int value = 0;
  bool operator==(const Span&) const = default;
};

// Runs of equal value over time-sorted samples. A sample holds until the next one,
// but at most maxGap: a silent link leaves a hole rather than a long run.
std::vector<Span> Runs(std::span<const Sample> samples, double maxGap);

// Spans of one value made drawable at a resolution: gaps narrower than minWidth are
// closed and every span is at least minWidth wide, so none vanishes between pixels.
std::vector<Span> MergeForDrawing(std::span<const Span> spans, double minWidth);

}  // namespace voltander::history

#include "history/Downsample.h"

#include <algorithm>
#include <cmath>

namespace voltander::history {

std::vector<Sample> MinMaxDownsample(std::span<const Sample> samples, double t0, double t1,
                                     int buckets) {
  std::vector<Sample> out;
  const auto byTime = [](const Sample& s, double t) { return s.t < t; };
  auto first = std::lower_bound(samples.begin(), samples.end(), t0, byTime);
  auto last = std::upper_bound(samples.begin(), samples.end(), t1,
                               [](double t, const Sample& s) { return t < s.t; });
  if (first != samples.begin()) --first;
  if (last != samples.end()) ++last;
  if (buckets < 1 || !(t1 > t0)) {
    out.assign(first, last);
    return out;
  }
  out.reserve(static_cast<std::size_t>(buckets) * 4 + 2);
  const double width = (t1 - t0) / buckets;
  auto it = first;
  while (it != last) {
    const double slot = std::clamp(std::floor((it->t - t0) / width), -1.0, double(buckets));
    auto end = it;
    while (end != last &&
           std::clamp(std::floor((end->t - t0) / width), -1.0, double(buckets)) == slot)
      ++end;
    auto lo = it, hi = it;
    for (auto k = it; k != end; ++k) {
      if (k->v < lo->v) lo = k;
      if (k->v > hi->v) hi = k;
    }
    const Sample* kept = nullptr;
    const auto keep = [&](const Sample* k) {
      if (kept == nullptr || k > kept) out.push_back(*k);
      kept = k;
    };
    keep(&*it);
    keep(&*std::min(lo, hi));
    keep(&*std::max(lo, hi));
    keep(&*(end - 1));
    it = end;
  }
  return out;
}

std::vector<Span> Runs(std::span<const Sample> samples, double maxGap) {
  std::vector<Span> out;
  for (std::size_t k = 0; k < samples.size(); ++k) {
    const double start = samples[k].t;
    const double next = k + 1 < samples.size() ? samples[k + 1].t : start;
    const double end = std::min(next, start + maxGap);
    const int value = static_cast<int>(samples[k].v);
    if (!out.empty() && out.back().value == value && out.back().t1 == start) {
      out.back().t1 = end;
    } else {
      out.push_back({start, end, value});
    }
  }
  return out;
}

std::vector<Span> MergeForDrawing(std::span<const Span> spans, double minWidth) {
  std::vector<Span> out;
  for (const Span& s : spans) {
    Span wide = s;
    wide.t1 = std::max(s.t1, s.t0 + minWidth);
    if (!out.empty() && wide.t0 - out.back().t1 < minWidth) {
      out.back().t1 = std::max(out.back().t1, wide.t1);
    } else {
      out.push_back(wide);
    }
  }
  return out;
}

}  // namespace voltander::history

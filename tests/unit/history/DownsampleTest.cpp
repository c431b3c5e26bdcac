#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "history/Downsample.h"

namespace voltander::history {
namespace {

// A noisy duty with rare one-sample spikes up (faults) and down, as a week at 2 s.
std::vector<Sample> Noisy(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> noise(30, 70);
  std::vector<Sample> out;
  for (std::size_t k = 0; k < n; ++k) {
    double v = noise(rng);
    if (rng() % 997 == 0) v = 100;
    if (rng() % 1009 == 0) v = 0;
    out.push_back({k * 2.0, v});
  }
  return out;
}

TEST(MinMaxDownsample, EveryBucketKeepsItsHighestAndLowestSample) {
  struct Case {
    std::size_t n;
    double t0, t1;
    int buckets;
  };
  for (const Case c : {Case{302400, 0, 604800, 1000}, Case{5000, 1000, 3001, 37},
                       Case{5000, -50, 20000, 640}, Case{3, 0, 6, 1}}) {
    const std::vector<Sample> in = Noisy(c.n, static_cast<unsigned>(c.n + c.buckets));
    const std::vector<Sample> out = MinMaxDownsample(in, c.t0, c.t1, c.buckets);
    ASSERT_LE(out.size(), static_cast<std::size_t>(c.buckets) * 4 + 2 * 4);
    ASSERT_TRUE(std::is_sorted(out.begin(), out.end(),
                               [](const Sample& a, const Sample& b) { return a.t < b.t; }));
    const double width = (c.t1 - c.t0) / c.buckets;
    for (int b = 0; b < c.buckets; ++b) {
      const double lo = c.t0 + b * width, hi = lo + width;
      double inMin = 1e9, inMax = -1e9, outMin = 1e9, outMax = -1e9;
      for (const Sample& s : in)
        if (s.t >= lo && s.t < hi) inMin = std::min(inMin, s.v), inMax = std::max(inMax, s.v);
      for (const Sample& s : out)
        if (s.t >= lo && s.t < hi) outMin = std::min(outMin, s.v), outMax = std::max(outMax, s.v);
      ASSERT_EQ(outMin, inMin) << "bucket " << b;
      ASSERT_EQ(outMax, inMax) << "bucket " << b;
    }
    // The line runs on past both edges when there is something beyond them.
    if (c.t0 > 0) {
      EXPECT_LT(out.front().t, c.t0);
    }
    if (c.t1 < in.back().t) {
      EXPECT_GT(out.back().t, c.t1);
    }
  }
}

TEST(MinMaxDownsample, FewSamplesPassUntouched) {
  const std::vector<Sample> in = Noisy(50, 3);
  const std::vector<Sample> out = MinMaxDownsample(in, 0, 100, 1000);
  ASSERT_EQ(out.size(), in.size());
  for (std::size_t k = 0; k < in.size(); ++k) EXPECT_EQ(out[k].v, in[k].v);
}

TEST(Runs, EqualValuesJoinAndSilenceLeavesAHole) {
  const std::vector<Sample> in = {{0, 1}, {2, 1}, {4, 2}, {6, 2}, {30, 2}, {32, 1}};
  const std::vector<Span> runs = Runs(in, 5);
  const std::vector<Span> expected = {{0, 4, 1}, {4, 11, 2}, {30, 32, 2}, {32, 32, 1}};
  ASSERT_EQ(runs.size(), expected.size());
  for (std::size_t k = 0; k < runs.size(); ++k) {
    EXPECT_EQ(runs[k].t0, expected[k].t0) << k;
    EXPECT_EQ(runs[k].t1, expected[k].t1) << k;
    EXPECT_EQ(runs[k].value, expected[k].value) << k;
  }
}

// No span, however short, may vanish: each output covers its inputs and is at least
// one pixel wide; gaps narrower than a pixel close.
TEST(MergeForDrawing, NoSpanVanishesBetweenPixels) {
  const std::vector<Span> in = {{0, 0, 1}, {0.5, 0.6, 1}, {3, 3.1, 1}, {10, 20, 1}, {20.9, 21, 1}};
  const std::vector<Span> out = MergeForDrawing(in, 1.0);
  const std::vector<Span> expected = {{0, 1.5, 1}, {3, 4, 1}, {10, 21.9, 1}};
  ASSERT_EQ(out.size(), expected.size());
  for (std::size_t k = 0; k < out.size(); ++k) {
    EXPECT_DOUBLE_EQ(out[k].t0, expected[k].t0) << k;
    EXPECT_DOUBLE_EQ(out[k].t1, expected[k].t1) << k;
  }
}

}  // namespace
}  // namespace voltander::history

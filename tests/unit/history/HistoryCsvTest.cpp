#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "history/Downsample.h"
#include "history/HistoryCsv.h"

namespace voltander::history {
namespace {

// Times across leap days, year ends and offsets on both sides of UTC; events quoted.
using K = EntryKind;
const std::vector<Entry> kEntries = {
    // clang-format off
    {1796591597.0,  60,   K::Status,            0, 0,   false, false, false, 4.0f,   ""},
    {951888599.0,   -330, K::Status,            2, 200, true,  false, false, 4.01f,  ""},
    {946548000.0,   840,  K::LinkLost,          0, 0,   false, false, false, 0.0f,   ""},
    {1711841400.25, 120,  K::LinkRestored,      0, 0,   false, false, false, 0.0f,   ""},
    {1711841401.0,  120,  K::LinkUp,            0, 0,   false, false, false, 0.0f,   ""},
    {1796591606.0,  60,   K::Status,            5, 255, true,  true,  true,  3.999f, ""},
    {1796591607.0,  -300, K::ParameterUpload,   0, 0,   false, false, false, 0.0f,   "12 40 3 5 7 2 1"},
    {1796591608.0,  -300, K::CalibrationUpload, 0, 0,   false, false, false, 0.0f,   "4010"},
    {1796591609.0,  0,    K::FileOpened,        0, 0,   false, false, false, 0.0f,   "akku, \"régi\".vlt"},
    {1796591610.0,  345,  K::FileSaved,         0, 0,   false, false, false, 0.0f,   "új.vlt"},
    {1796591612.0,  60,   K::Status,            4, 254, false, true,  false, 12.5f,  ""},
    {1768435200.0,  60,   K::Status,            1, 9,   true,  false, false, 4.0f,   ""},
    // clang-format on
};

std::string Written(const std::vector<Entry>& entries) {
  std::string text = std::string(kCsvHeader) + "\n";
  for (const Entry& e : entries) text += CsvLine(e) + "\n";
  return text;
}

// A crash can stop the file anywhere in its last line; everything before it stays.
TEST(HistoryCsv, WhatIsWrittenReadsBackTheSameUpToALineCutOffByACrash) {
  const std::string text = Written(kEntries);
  for (const char* iso : {"2026-12-06T22:13:17.000+01:00", "2000-02-29T23:59:59.000-05:30",
                          "1999-12-31T00:00:00.000+14:00", "2024-03-31T01:30:00.250+02:00",
                          "2026-01-15T01:00:00.000+01:00"})
    EXPECT_NE(text.find(iso), std::string::npos) << iso;
  const std::vector<Entry> before(kEntries.begin(), kEntries.end() - 1);
  for (std::size_t cut = text.rfind('\n', text.size() - 2) + 1; cut <= text.size(); ++cut)
    ASSERT_EQ(ReadCsv(text.substr(0, cut)), cut < text.size() ? before : kEntries);
}

TEST(HistoryCsv, DamagedLinesAreSkippedAndTheRestKept) {
  // clang-format off
  for (const char* bad : {"garbage", "2026-13-06 22:13:17+01:00,link_lost,,,,,,,", "2026-12-06T22:13:17.000,link_lost,,,,,,,",
                          "2026-12-06T22:13:17.000+01:00,status,2,200,1,0,0,4", "2026-12-06T22:13:17.000+01:00,status,2,x,1,0,0,4,",
                          "2026-12-06T22:13:17.000+01:00,status,2,300,1,0,0,4,", "2026-12-06T22:13:17.000+01:00,status,2,200,2,0,0,4,",
                          "2026-12-06T22:13:17.000+01:00,rumour,,,,,,,", "2026-12-06T22:13:17.000+01:00,file_saved,,,,,,,\"open",
                          "2026-12-06T22:13X17.000+01:00,link_lost,,,,,,,", "2026-12-06T22:13:17.000+0x:00,link_lost,,,,,,,"}) {
    // clang-format on
    std::string text = Written(kEntries);
    text.insert(text.find('\n') + 1, std::string(bad) + "\r\n");
    EXPECT_EQ(ReadCsv(text), kEntries) << bad;
  }
}

TEST(HistoryCsv, TimesWithoutMillisecondsOrInUtcReadAsWholeSeconds) {
  for (const char* iso : {"2026-03-01T08:00:00+01:00", "2026-03-01T07:00:00Z"}) {
    const std::vector<Entry> read =
        ReadCsv(std::string(kCsvHeader) + "\n" + iso + ",link_lost,,,,,,,\n");
    ASSERT_EQ(read.size(), 1u) << iso;
    EXPECT_EQ(read[0].seconds, 1772348400.0) << iso;
  }
}

// No peak or dip (a fault) may vanish from a pixel column, whatever the range and zoom.
TEST(MinMaxDownsample, EveryBucketKeepsItsHighestAndLowestSample) {
  // clang-format off
  for (const auto& [n, t0, t1, buckets] : {std::tuple<std::size_t, double, double, int>{302400, 0, 604800, 1000},
       {5000, 1000, 3001, 37}, {5000, -50, 20000, 640}, {30, 0, 60, 1}, {50, 0, 100, 1000}}) {
    // clang-format on
    std::vector<Sample> in;  // at 2 s, with rare one-sample spikes up and down
    for (std::size_t k = 0; k < n; ++k)
      in.push_back({k * 2.0, k % 997 == 5 ? 100 : k % 1009 == 7 ? 0 : 30.0 + k * 7919 % 41});
    const std::vector<Sample> out = MinMaxDownsample(in, t0, t1, buckets);
    const double width = (t1 - t0) / buckets;
    ASSERT_LE(out.size(), buckets * 4u + 8);
    ASSERT_TRUE(width >= 2 || out.size() == in.size());
    ASSERT_TRUE(std::is_sorted(out.begin(), out.end(), [](auto& a, auto& b) { return a.t < b.t; }));
    const auto extremes = [&](const std::vector<Sample>& samples) {
      std::map<int, std::pair<double, double>> lowHigh;
      for (const Sample& s : samples) {
        if (s.t < t0 || s.t >= t1) continue;
        auto& [low, high] = lowHigh.try_emplace(int((s.t - t0) / width), s.v, s.v).first->second;
        low = std::min(low, s.v), high = std::max(high, s.v);
      }
      return lowHigh;
    };
    ASSERT_EQ(extremes(out), extremes(in));
    // The line runs on past both edges when there is something beyond them.
    EXPECT_TRUE(t0 <= 0 || out.front().t < t0);
    EXPECT_TRUE(t1 >= in.back().t || out.back().t > t1);
  }
}

std::vector<std::tuple<double, double, int>> Flat(const std::vector<Span>& spans) {
  std::vector<std::tuple<double, double, int>> out;
  for (const Span& s : spans) out.emplace_back(s.t0, s.t1, s.value);
  return out;
}

// A silent link leaves a hole; drawn, spans and gaps narrower than a pixel widen or close.
TEST(DownsampleSpans, EqualValuesJoinSilenceLeavesAHoleAndNoneVanishesBetweenPixels) {
  const std::vector<Sample> in = {{0, 1}, {2, 1}, {4, 2}, {6, 2}, {30, 2}, {32, 1}};
  EXPECT_EQ(Flat(Runs(in, 5)), Flat({{0, 4, 1}, {4, 11, 2}, {30, 32, 2}, {32, 32, 1}}));
  const std::vector<Span> s = {{0, 0, 1}, {0.5, 0.6, 1}, {3, 3.1, 1}, {10, 20, 1}, {20.9, 21, 1}};
  EXPECT_EQ(Flat(MergeForDrawing(s, 1.0)), Flat({{0, 1.5, 1}, {3, 4, 1}, {10, 21.9, 1}}));
  const std::vector<Span> apart = {{0, 1, 1}, {2, 3, 1}};  // a gap of one pixel stays
  EXPECT_EQ(Flat(MergeForDrawing(apart, 1.0)), Flat(apart));
}

}  // namespace
}  // namespace voltander::history

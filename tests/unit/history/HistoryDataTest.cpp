#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "history/ChartFrame.h"
#include "history/Downsample.h"
#include "history/HistoryCsv.h"
#include "history/SessionReader.h"

namespace voltander::history {
namespace {

constexpr double kStart = 1772348400;  // 2026-03-01 08:00:00 +01:00, the StepClock's start
constexpr int kDay = 43200;            // replies a day, one every 2 s

// A run of 90 days at one reply every 2 s, with a lone fault, a lone maintenance
// reply and a lone zero duty in the middle of days of level holding at duty 100.
TEST(MinMaxLevels, LoneExtremesSurviveEveryZoomAndMemoryStaysFixed) {
  Timeline timeline;
  const std::vector<int> lone = {5 * kDay + 123, 40 * kDay + 7, 89 * kDay + 999};
  for (int k = 0; k < 90 * kDay; ++k) {
    Entry e;
    e.seconds = kStart + 2.0 * k;
    e.state = 3;
    e.duty = 100;
    if (k == lone[0]) e.fault = true, e.duty = 255;
    if (k == lone[1]) e.state = 4;
    if (k == lone[2]) e.duty = 0;
    timeline.add(e);
    e.kind = EntryKind::LinkLost;
    if (k % 900 == 0) timeline.add(e);
  }
  // Bounded by structure: the last 65,536 replies in full, the last 4,096 events.
  EXPECT_EQ(timeline.detailFrom(), kStart + 2.0 * (90 * kDay - 65536));
  ASSERT_EQ(timeline.events().size(), 4096u);
  EXPECT_EQ(timeline.events().front().seconds, kStart + 2.0 * 900 * 224);
  const ChartFrame all = Frame(timeline, kStart, kStart + 90 * 86400.0, 1000);
  EXPECT_FALSE(all.fault.empty() || all.states[4].empty() || all.states[3].empty());
  EXPECT_EQ(all.dutyLow.size(), 1000u);
  for (const int k : lone) {
    const double t = kStart + 2.0 * k;
    for (const double width : {86400.0, 3600.0, 600.0}) {
      SCOPED_TRACE(std::to_string(k) + " in " + std::to_string(width));
      const ChartFrame f = Frame(timeline, t - width / 3, t + width * 2 / 3, 1000);
      double low = 100, high = 0;
      for (const auto* line : {&f.duty, &f.dutyLow, &f.dutyHigh})
        for (const Sample& s : *line) low = std::min(low, s.v), high = std::max(high, s.v);
      EXPECT_EQ(!f.fault.empty(), k == lone[0]);
      EXPECT_EQ(!f.states[4].empty(), k == lone[1]);
      EXPECT_EQ(low, k == lone[2] ? 0 : 100.0 * 100 / 255);
      EXPECT_EQ(high, k == lone[0] ? 100 : 100.0 * 100 / 255);
      EXPECT_FALSE(f.states[3].empty());
      EXPECT_LE(f.duty.size(), 4002u);
    }
  }
}

// Two hours at 72 s a column: a lone fault, loop and empty-battery reply each fill
// exactly the column they fell in, and the duty band's extremes sit in its middle.
TEST(ChartFrame, AZoomedOutColumnShowsWhatFellIntoItAndNoWhereElse) {
  Timeline timeline;
  for (int s = 0; s < 3600; ++s) {
    Entry e;
    e.seconds = kStart + 2.0 * s;
    e.state = 3;
    e.duty = 100;
    if (2 * s == 740) e.fault = true, e.duty = 255;
    if (2 * s == 1460) e.state = 5, e.calibrationLoop = true;
    if (2 * s == 2180) e.state = 0, e.duty = 0;
    timeline.add(e);
  }
  Entry lost;  // on the right edge, as a view that follows the run has it
  lost.seconds = kStart + 7200;
  lost.kind = EntryKind::LinkLost;
  timeline.add(lost);
  const ChartFrame f = Frame(timeline, kStart, kStart + 7200, 100);
  EXPECT_EQ(f.events.size(), 1u);
  EXPECT_FALSE(f.detailMissing);
  const auto at = [](double a, double b) { return std::vector<Span>{{kStart + a, kStart + b, 1}}; };
  EXPECT_EQ(f.fault, at(720, 792));
  EXPECT_EQ(f.loop, at(1440, 1512));
  EXPECT_EQ(f.states[0], at(2160, 2232));
  for (int s : {1, 2, 4}) EXPECT_TRUE(f.states[s].empty()) << s;
  ASSERT_EQ(f.dutyHigh.size(), 100u);
  EXPECT_EQ(f.dutyHigh[10].t, kStart + 756);
  EXPECT_EQ(f.dutyHigh[10].v, 100);
  EXPECT_EQ(f.dutyLow[30].t, kStart + 2196);
  EXPECT_EQ(f.dutyLow[30].v, 0);
  const ChartFrame close = Frame(timeline, kStart + 1200, kStart + 1800, 1000);
  EXPECT_EQ(close.loop, (std::vector<Span>{{kStart + 1460, kStart + 1462, 1}}));
}

// Four slices a level: the 16-s level holds the last 64 s, the 128-s one the start.
TEST(MinMaxLevels, AReusedSliceStartsCleanAndAViewTakesTheFinestLevelHoldingIt) {
  MinMaxLevels levels(4);
  for (int t = 0; t < 80; t += 2) levels.add({double(t), std::uint8_t(t / 16), 0, t == 0, false});
  const auto shown = [&](double t0, double t1, int n) {
    std::vector<std::string> out;
    for (const Bucket& b : levels.columns(t0, t1, n))
      out.push_back(std::to_string(b.lo) + "-" + std::to_string(b.hi) +
                    ((b.flags & Bucket::kFault) ? " fault" : ""));
    return out;
  };
  EXPECT_EQ(shown(64, 80, 1), (std::vector<std::string>{"4-4"}));
  EXPECT_EQ(shown(32, 64, 2), (std::vector<std::string>{"2-3", "3-4"}));
  EXPECT_EQ(shown(16, 32, 1), (std::vector<std::string>{"1-2"}));  // the oldest it holds
  EXPECT_EQ(shown(0, 16, 1), (std::vector<std::string>{"0-4 fault"}));
}

// The chart is redrawn only when the frame changed; any part of it is a change.
TEST(ChartFrame, AChangeInAnyPartIsANewDrawing) {
  ChartFrame base;
  base.duty = base.dutyLow = base.dutyHigh = {{kStart, 50}};
  base.events.resize(1);
  const std::vector<void (*)(ChartFrame&)> changes = {
      [](ChartFrame& f) { f.duty[0].v = 51; },
      [](ChartFrame& f) { f.dutyLow[0].v = 51; },
      [](ChartFrame& f) { f.dutyHigh[0].t = 1; },
      [](ChartFrame& f) { f.states[2].push_back({1, 2, 1}); },
      [](ChartFrame& f) { f.fault.push_back({1, 2, 1}); },
      [](ChartFrame& f) { f.loop.push_back({1, 2, 1}); },
      [](ChartFrame& f) { f.detailMissing = true; },
      [](ChartFrame& f) { f.gaps.push_back({1, 2}); },
      [](ChartFrame& f) { f.events[0].seconds = 1; },
      [](ChartFrame& f) { f.events[0].kind = EntryKind::LinkLost; },
      [](ChartFrame& f) { f.events.clear(); }};
  EXPECT_TRUE(SameDrawing(base, ChartFrame(base)));
  for (std::size_t k = 0; k < changes.size(); ++k) {
    ChartFrame changed = base;
    changes[k](changed);
    EXPECT_FALSE(SameDrawing(base, changed)) << k;
  }
}

// Every state, a fault, the calibration loop, an upload of each kind and a link
// loss whose silence counts nowhere; the file split at every third byte.
TEST(SessionSummary, TimeInEachStateFaultLoopAndTheCountsOfASession) {
  // A damaged line far too long to be one, then the session.
  std::string text = std::string(kCsvHeader) + "\n" + std::string(5000, 'x') + "\n";
  const auto line = [&](int second, const std::string& rest) {
    text += IsoTime(LocalTimeAt(kStart + second, 60)) + rest + "\n";
  };
  for (int s = 0; s < 5; ++s)
    for (int k = 0; k < 30 * (s + 1); ++k)
      line(2 * (k + 200 * s), ",status," + std::to_string(s) + ",90,1,0,0,4,");
  line(2000, ",status,2,255,1,1,0,4,");
  line(2002, ",status,5,9,0,0,1,4,");
  line(2004, ",link_lost,,,,,,,");
  line(2100, ",status,5,9,0,0,1,4,");
  line(2101, ",parameter_upload,,,,,,,1 2 3 4 5 6 7");
  line(2102, ",calibration_upload,,,,,,,4010");
  line(2103, ",link_up,,,,,,,");
  line(9000, ",parameter_upload,,,,,,,1 2 3 4 5 6 7");
  Timeline timeline;
  SessionSummary summary;
  SessionReader reader(timeline, summary);
  for (std::size_t k = 0; k < text.size(); k += 3) reader.feed(std::string_view(text).substr(k, 3));
  EXPECT_EQ(reader.complete(), text.size());
  EXPECT_EQ(timeline.first(), kStart);
  EXPECT_EQ(timeline.last(), kStart + 9000);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Nincs akku", "1 p 1 mp"},
      {"Gyors töltés", "2 p 1 mp"},
      {"Normál töltés", "3 p 3 mp"},
      {"Szintentartás", "4 p 1 mp"},
      {"Karbantartás", "5 p 1 mp"},
      {"HIBA!", "2 mp"},
      {"Kalibrációs hurok!", "2 mp"},
      {"Kapcsolat megszakadt", "1 alkalom"},
      {"Paraméterek feltöltve", "2 alkalom"},
      {"Kalibráció feltöltve", "1 alkalom"},
      {"Első", "2026-03-01 08:00:00"},
      {"Utolsó", "2026-03-01 10:30:00"}};
  EXPECT_EQ(SummaryLines(summary), expected);
  EXPECT_EQ(DurationText(2 * 3600 + 13 * 60 + 59), "2 ó 13 p");
  EXPECT_EQ(DurationText(90 * 86400 + 3600), "90 nap 1 ó 0 p");
}

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

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/HistoryCsv.h"

namespace voltander::history {
namespace {

// Local times and the instants they name, across leap days, year ends and offsets
// on both sides of UTC.
TEST(HistoryTime, LocalTimesNameTheirInstantsAndBack) {
  struct Case {
    LocalTime local;
    double epoch;
    const char* iso;
  };
  const std::vector<Case> cases = {
      {{2026, 12, 6, 22, 13, 17, 0, 60}, 1796591597.0, "2026-12-06T22:13:17.000+01:00"},
      {{2000, 2, 29, 23, 59, 59, 0, -330}, 951888599.0, "2000-02-29T23:59:59.000-05:30"},
      {{1999, 12, 31, 0, 0, 0, 0, 840}, 946548000.0, "1999-12-31T00:00:00.000+14:00"},
      {{2024, 3, 31, 1, 30, 0, 250, 120}, 1711841400.25, "2024-03-31T01:30:00.250+02:00"},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(EpochSeconds(c.local), c.epoch) << c.iso;
    EXPECT_EQ(IsoTime(LocalTimeAt(c.epoch, c.local.offsetMinutes)), c.iso);
  }
  EXPECT_EQ(SessionFileName(cases[0].local), "2026-12-06_22-13-17.csv");
}

Entry Status(double t, int state, int duty, bool charging, float ratio) {
  Entry e;
  e.seconds = t;
  e.offsetMinutes = 60;
  e.state = static_cast<std::uint8_t>(state);
  e.duty = static_cast<std::uint8_t>(duty);
  e.charging = charging;
  e.fault = duty >= 254;
  e.calibrationLoop = state == 5;
  e.ratio = ratio;
  return e;
}

Entry Event(double t, EntryKind kind, std::string detail, int offset = -300) {
  Entry e;
  e.seconds = t;
  e.offsetMinutes = static_cast<std::int16_t>(offset);
  e.kind = kind;
  e.detail = std::move(detail);
  return e;
}

const std::vector<Entry> kEntries = {
    Status(1796591597.0, 0, 0, false, 4.0f),
    Status(1796591599.5, 2, 200, true, 4.01f),
    Event(1796591600.0, EntryKind::LinkLost, ""),
    Event(1796591606.0, EntryKind::LinkRestored, ""),
    Status(1796591606.0, 5, 255, true, 3.999f),
    Event(1796591607.0, EntryKind::ParameterUpload, "12 40 3 5 7 2 1"),
    Event(1796591608.0, EntryKind::CalibrationUpload, "4010"),
    Event(1796591609.0, EntryKind::FileOpened, "akku, \"régi\".vlt", 0),
    Event(1796591610.0, EntryKind::FileSaved, "új.vlt", 345),
    Status(1796591612.0, 4, 254, false, 12.5f),
};

void ExpectSame(const std::vector<Entry>& got, std::size_t count) {
  ASSERT_EQ(got.size(), count);
  for (std::size_t k = 0; k < count; ++k) {
    const Entry& a = got[k];
    const Entry& b = kEntries[k];
    SCOPED_TRACE(k);
    EXPECT_DOUBLE_EQ(a.seconds, b.seconds);
    EXPECT_EQ(a.offsetMinutes, b.offsetMinutes);
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.state, b.state);
    EXPECT_EQ(a.duty, b.duty);
    EXPECT_EQ(a.charging, b.charging);
    EXPECT_EQ(a.fault, b.fault);
    EXPECT_EQ(a.calibrationLoop, b.calibrationLoop);
    EXPECT_EQ(a.ratio, b.ratio);
    EXPECT_EQ(a.detail, b.detail);
  }
}

std::string Written() {
  std::string text = std::string(kCsvHeader) + "\n";
  for (const Entry& e : kEntries) text += CsvLine(e) + "\n";
  return text;
}

TEST(HistoryCsv, WhatIsWrittenReadsBackTheSame) {
  const std::string text = Written();
  ExpectSame(ReadCsv(text), kEntries.size());
  EXPECT_EQ(text.find(",4,01"), std::string::npos) << "the ratio must keep its point";
}

// A crash can stop the file anywhere in its last line; everything before it stays.
TEST(HistoryCsv, ALastLineCutOffByACrashIsSkipped) {
  const std::string text = Written();
  const std::size_t lastStart = text.rfind('\n', text.size() - 2) + 1;
  for (std::size_t cut = lastStart; cut < text.size(); ++cut)
    ExpectSame(ReadCsv(std::string_view(text).substr(0, cut)), kEntries.size() - 1);
}

TEST(HistoryCsv, DamagedLinesAreSkippedAndTheRestKept) {
  const std::vector<std::string> damaged = {
      "garbage",
      "2026-12-06T22:13:17.000+01:00,status,2,200,1,0,0,4",
      "2026-12-06T22:13:17.000+01:00,status,2,x,1,0,0,4,",
      "2026-12-06T22:13:17.000+01:00,status,2,300,1,0,0,4,",
      "2026-12-06T22:13:17.000+01:00,status,2,200,2,0,0,4,",
      "2026-12-06T22:13:17.000+01:00,rumour,,,,,,,",
      "2026-13-06 22:13:17+01:00,link_lost,,,,,,,",
      "2026-12-06T22:13:17.000,link_lost,,,,,,,",
      "2026-12-06T22:13:17.000+01:00,file_saved,,,,,,,\"open",
  };
  for (const std::string& bad : damaged) {
    std::string text = Written();
    text.insert(text.find('\n') + 1, bad + "\r\n");
    ExpectSame(ReadCsv(text), kEntries.size());
  }
}

}  // namespace
}  // namespace voltander::history

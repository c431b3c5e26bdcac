#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "history/CapPlan.h"
#include "history/ChartFrame.h"
#include "history/HistoryCsv.h"
#include "history/PastSession.h"
#include "history/Recorder.h"

namespace voltander::history {
namespace {

TEST(SessionsToDelete, TheOldestGoFirstAndTheCurrentNever) {
  const struct {
    std::vector<SessionFileInfo> files;
    std::uint64_t cap;
    std::vector<std::string> doomed;  // "c" is the current session
  } cases[] = {
      {{{"b", 50}, {"a", 50}, {"c", 50}}, 150, {}},
      {{{"b", 50}, {"a", 50}, {"c", 51}}, 150, {"a"}},
      {{{"c", 10}, {"a", 100}, {"b", 100}}, 110, {"a"}},
      {{{"c", 10}, {"a", 100}, {"b", 100}}, 109, {"a", "b"}},
      {{{"c", 500}, {"d", 1}}, 10, {"d"}},
      {{{"a", 100, true}, {"b", 100}, {"c", 10}}, 110, {"b"}},  // "a" is being written
      // Later sessions of one second carry a serial, "-10" after "-2"; a session's
      // parts follow its first, part 10 after part 9.
      {{{"2029-01-01_00-00-00-10.csv", 9}, {"2029-01-01_00-00-00.002.csv", 9},
        {"2029-01-01_00-00-00.csv", 9}, {"2029-01-01_00-00-00-2.csv", 9},
        {"2025-12-31_23-59-59-3.010.csv", 9}, {"2025-12-31_23-59-59-3.009.csv", 9}, {"c", 1}},
       10,
       {"2025-12-31_23-59-59-3.009.csv", "2025-12-31_23-59-59-3.010.csv",
        "2029-01-01_00-00-00.csv", "2029-01-01_00-00-00.002.csv", "2029-01-01_00-00-00-2.csv"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SessionsToDelete(c.files, c.cap, "c"), c.doomed);
  // Names of another form in the same second go first; serials count in decimal.
  EXPECT_TRUE(StartedBefore("2026-01-01_00-00-00x3.csv", "2026-01-01_00-00-00.csv"));
  EXPECT_TRUE(StartedBefore("2026-01-01_00-00-00-2.csv", "2026-01-01_00-00-00-9999999.csv"));
  for (const char* other :
       {"x026-01-01_00-00-00.csv", "2026-01-0x_00-00-00.csv", "2026-01-01_00-00-00.x.csv"})
    EXPECT_EQ(ParsePartName(other).serial, 0) << other;
}

struct RecorderRig {
  explicit RecorderRig(std::uint64_t cap = 1000, WriteFailure onFailure = WriteFailure::SwitchOff,
                       bool chart = true)
      : recorder{files, clock, dialogs, deferred, saving, cap, onFailure, chart} {
    saving.setChecked(true);
  }
  void reply() { recorder.status({1, 10, true, false, false, 4.0f}); }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& [name, text] : files.files) out.push_back(name);
    return out;
  }
  test::FakeSessionFiles files;
  test::StepClock clock;
  test::FakeDialogs dialogs;
  test::FakeDeferred deferred;
  MenuItem saving;
  Recorder recorder;
};

TEST(Recorder, EveryReplyAndEventGoesToTheSessionFileInOrder) {
  RecorderRig rig;
  std::string told;
  rig.recorder.onEntry = [&](const Entry& e) { told += CsvLine(e) + '\n'; };
  rig.recorder.status({2, 200, true, false, false, 4.01f});
  rig.recorder.linkLost();
  rig.recorder.linkRestored();
  rig.recorder.parameterUpload({1, 2, 3, 4, 5, 6, 7});
  rig.recorder.calibrationUpload(4010);
  rig.recorder.parameterFileOpened("a.vlt");
  rig.recorder.parameterFileSaved("b.vlt");
  rig.recorder.status({5, 255, false, true, true, 3.5f});
  EXPECT_EQ(rig.files.files["2026-03-01_08-00-00.csv"], std::string(kCsvHeader) + '\n' + told);
  EXPECT_EQ(told,
            "2026-03-01T08:00:00.000+01:00,status,2,200,1,0,0,4.01,\n"
            "2026-03-01T08:00:02.000+01:00,link_lost,,,,,,,\n"
            "2026-03-01T08:00:04.000+01:00,link_restored,,,,,,,\n"
            "2026-03-01T08:00:06.000+01:00,parameter_upload,,,,,,,1 2 3 4 5 6 7\n"
            "2026-03-01T08:00:08.000+01:00,calibration_upload,,,,,,,4010\n"
            "2026-03-01T08:00:10.000+01:00,file_opened,,,,,,,a.vlt\n"
            "2026-03-01T08:00:12.000+01:00,file_saved,,,,,,,b.vlt\n"
            "2026-03-01T08:00:14.000+01:00,status,5,255,0,1,1,3.5,\n");
}

// A full disk: one message, shown only once the reply is handled, and nothing written
// until switched on again, in a new session.
TEST(Recorder, AWriteFailureStopsTheSavingWithOneMessage) {
  for (const bool atStart : {true, false}) {
    SCOPED_TRACE(atStart);
    RecorderRig rig;
    rig.files.failStart = atStart;
    rig.files.appendsLeft = atStart ? -1 : 4;  // else the last reply fails
    // Replies that arrive while the box is up must not write or ask again; with none
    // (a silent link) the failed file must still not be taken up again.
    if (atStart) rig.dialogs.whileShown = [&](const test::ShownMessage&) { rig.reply(); };
    for (int k = 0; k < 4; ++k) rig.reply();
    EXPECT_TRUE(rig.dialogs.shown.empty());
    rig.deferred.run();
    ASSERT_EQ(rig.dialogs.shown.size(), 1u);
    EXPECT_FALSE(rig.saving.checked());
    rig.files.failStart = false;
    rig.files.appendsLeft = -1;
    rig.saving.setChecked(true);
    rig.reply();
    rig.deferred.run();
    EXPECT_EQ(rig.dialogs.shown.size(), 1u);
    ASSERT_EQ(rig.files.files.size(), atStart ? 1u : 2u);
    EXPECT_EQ(ReadCsv(rig.files.files[rig.recorder.sessionName()]).size(), 1u);
  }
  RecorderRig rig;  // switched off and on again without a failure: a session of its own
  rig.reply();
  rig.saving.setChecked(false);
  rig.reply();
  rig.saving.setChecked(true);
  rig.reply();
  EXPECT_EQ(rig.files.files.size(), 2u);
}

// The oldest session is being written by another program: the next oldest goes in
// its place, and it goes once it is no longer written.
TEST(Recorder, TheFolderIsTrimmedAtTheStartAndAsTheSessionGrowsPassingOverLiveFiles) {
  RecorderRig rig;
  rig.files.files = {{"2026-01-01_00-00-00.csv", std::string(700, 'x')},
                     {"2026-02-01_00-00-00.csv", std::string(300, 'x')}};
  rig.files.locked = {"2026-01-01_00-00-00.csv"};
  rig.reply();
  EXPECT_EQ(rig.names(), (std::vector<std::string>{"2026-01-01_00-00-00.csv",
                                                   "2026-03-01_08-00-00.csv"}));
  rig.files.locked.clear();
  for (int k = 0; k < 999; ++k) rig.reply();  // the folder is looked at every 1000 lines
  EXPECT_EQ(rig.names(), (std::vector<std::string>{"2026-03-01_08-00-00.csv"}));
}

constexpr double kStart = 1772348400;  // 2026-03-01 08:00:00 +01:00, the StepClock's start

// Two and a half days of replies every 2 s into a folder capped at 4.5 MB, beside an
// older session and one that another program is writing.
TEST(Recorder, ALongSessionGoesInDailyPartsTheOldestGoAndWhatIsLeftReadsAsOne) {
  RecorderRig rig(4500000);
  rig.files.files = {{"2026-02-01_00-00-00.csv", std::string(1000, 'x')},
                     {"2026-02-02_00-00-00.csv", std::string(1000, 'x')}};
  rig.files.locked = {"2026-02-02_00-00-00.csv"};
  for (int k = 0; k < 108000; ++k)  // to 2026-03-03 19:59:58
    rig.recorder.status({1, std::uint8_t(k % 251), true, false, false, 4.0f});
  EXPECT_EQ(rig.names(), (std::vector<std::string>{"2026-02-02_00-00-00.csv",
                                                   "2026-03-01_08-00-00.002.csv",
                                                   "2026-03-01_08-00-00.003.csv"}));
  EXPECT_EQ(rig.recorder.sessionName(), "2026-03-01_08-00-00.003.csv");
  std::uint64_t total = 0;
  for (const SessionFileInfo& f : rig.files.list()) total += f.size;
  EXPECT_LE(total, 4500000u);
  const std::string& day2 = rig.files.files["2026-03-01_08-00-00.002.csv"];
  EXPECT_TRUE(day2.starts_with(std::string(kCsvHeader) + "\n2026-03-02T00:00:00.000+01:00,"));
  EXPECT_TRUE(day2.ends_with("\n2026-03-02T23:59:58.000+01:00,status,1,213,1,0,0,4,\n"));
  // The chart, of the live session and of the session opened from its last part.
  PastSession past(rig.files);
  past.read("2026-03-01_08-00-00.003.csv");
  EXPECT_EQ(past.timeline().first(), kStart + 57600);
  EXPECT_EQ(past.timeline().last(), kStart + 215998);
  const double hour = kStart + 68400;  // 2026-03-02 03:00, older than the replies kept
  for (const Timeline* t : {&rig.recorder.timeline(), &past.timeline()}) {
    const std::vector<Point> points = t->detail(hour, hour + 3598);
    ASSERT_EQ(points.size(), 1802u);
    EXPECT_EQ(points.front().t, hour - 2);
    EXPECT_EQ(points.front().duty, 63);
    EXPECT_EQ(points.back().t, hour + 3600);
    EXPECT_EQ(points.back().duty, 107);
    EXPECT_EQ(Frame(*t, hour, hour + 3600, 1000).duty.size(), 1803u);
    // The first day's part is gone: an hour of it is drawn from the slices, if any.
    const ChartFrame gone = Frame(*t, kStart + 3600, kStart + 7200, 1000);
    EXPECT_EQ(gone.gaps, (std::vector<Gap>{{kStart, kStart + 57600}}));
    EXPECT_EQ(t->gapsIn(kStart, kStart + 216000), gone.gaps);
    EXPECT_TRUE(gone.duty.empty());
    EXPECT_EQ(gone.dutyLow.empty(), t == &past.timeline());
  }
}

TEST(Timeline, WithTheSavingOffTheLastDayIsKeptAndTheOlderHoursAreSaidToBeGone) {
  RecorderRig rig;
  rig.saving.setChecked(false);
  for (int k = 0; k < 86400; ++k) rig.recorder.status({3, 10, true, false, false, 4.0f});
  const Timeline& t = rig.recorder.timeline();
  EXPECT_TRUE(rig.files.files.empty());
  EXPECT_LE(t.detailFrom(), kStart + 86400);
  EXPECT_TRUE(Frame(t, kStart + 3600, kStart + 7200, 1000).detailMissing);
  const ChartFrame f = Frame(t, kStart + 169200, kStart + 172800, 1000);
  EXPECT_FALSE(f.detailMissing);
  EXPECT_EQ(f.duty.size(), 1801u);
}

// A service on a full disk: told once, the saving stays on, nothing is tried for ten
// minutes of the clock, then the session goes on in a new part.
// As the service keeps its history: nothing draws, so no chart store either.
TEST(Recorder, RetryLaterTellsOnceAndTriesANewPartTenMinutesLater) {
  RecorderRig rig(1000000, WriteFailure::RetryLater, false);
  const std::string header = std::string(kCsvHeader) + '\n';
  rig.reply();
  rig.files.appendsLeft = 0;  // full at 08:00:02
  while (rig.clock.ticks <= 600) rig.reply();
  rig.files.appendsLeft = 0;  // and at 08:10:02, when part 2 gets no further than its name
  while (rig.clock.ticks <= 1204) rig.reply();
  rig.deferred.run();
  ASSERT_EQ(rig.dialogs.shown.size(), 1u);
  EXPECT_EQ(rig.dialogs.shown[0].text,
            "A napló nem írható (megtelt a lemez, vagy a mappa nem írható).\r\n"
            "A mentés 10 percenként újra próbálkozik.");
  EXPECT_TRUE(rig.saving.checked());
  EXPECT_EQ(rig.files.files["2026-03-01_08-00-00.csv"],
            header + "2026-03-01T08:00:00.000+01:00,status,1,10,1,0,0,4,\n");
  EXPECT_EQ(rig.files.files["2026-03-01_08-00-00.002.csv"],
            header + "2026-03-01T08:20:02.000+01:00,status,1,10,1,0,0,4,\n" +
                "2026-03-01T08:20:04.000+01:00,status,1,10,1,0,0,4,\n");
  rig.files.appendsLeft = 0;  // a new failure after lines were written is told again
  rig.reply();
  rig.deferred.run();
  EXPECT_EQ(rig.dialogs.shown.size(), 2u);
  EXPECT_TRUE(rig.recorder.timeline().empty());
  EXPECT_TRUE(rig.recorder.summary().any);
}

}  // namespace
}  // namespace voltander::history

// The session files on disk, and a charge run of the real window filed in order.
#include <gtest/gtest.h>

#include <QImage>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "adapter/Rig.h"
#include "history/CapPlan.h"
#include "history/HistoryCsv.h"
#include "history/Recorder.h"
#include "qt/widgets/HistoryWindow.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

TEST(QtSessionFiles, LinesReachTheDiskAtOnceAndAFullDiskIsReported) {
  using Start = SessionFiles::Start;
  TempDir dir("voltander-naplo");
  QtSessionFiles files(QString::fromStdString(dir.file("naplo")));
  ASSERT_EQ(files.start("2026-01-01_00-00-00.csv"), Start::Created);
  ASSERT_TRUE(files.append("a,b") && files.append("c"));
  // Still open: what a crash now would leave behind.
  EXPECT_EQ(ReadWholeFile(dir.file("naplo/2026-01-01_00-00-00.csv")), "a,b\nc\n");
  EXPECT_EQ(files.read("2026-01-01_00-00-00.csv", 2, 3), "b\nc");
  ASSERT_EQ(files.start("2026-01-02_00-00-00.csv"), Start::Created);
  ASSERT_TRUE(files.append("d"));
  ASSERT_EQ(files.list().size(), 2u);
  EXPECT_EQ(files.list()[0].size, 6u);  // the oldest first
  EXPECT_TRUE(files.remove("2026-01-01_00-00-00.csv"));
  EXPECT_EQ(files.list().size(), 1u);
  // An existing name is never written into, not even through a link.
  std::filesystem::create_symlink("/dev/full", dir.file("naplo/2026-01-03_00-00-00.csv"));
  EXPECT_EQ(files.start("2026-01-03_00-00-00.csv"), Start::Taken);
  // A file that may not grow (the limit on file size, as a full disk would).
  ASSERT_EQ(files.start("2026-01-04_00-00-00.csv"), Start::Created);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit before{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  rlimit tight = before;
  tight.rlim_cur = 4;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tight), 0);
  const bool appended = files.append("too long");
  setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_FALSE(appended);
}

// Two chargers' windows started together: one file each, never one shared; the
// later one carries "-2" and counts as the newer for the folder cap.
TEST(QtSessionFiles, TwoSessionsStartedInTheSameSecondGetAFileEach) {
  TempDir dir("voltander-naplo");
  struct FixedClock : Clock {
    LocalTime now() override { return {2026, 3, 1, 8, 0, 0, 0, 60}; }
  } clock;
  FakeDialogs dialogs;
  FakeDeferred deferred;
  MenuItem saving;
  saving.setChecked(true);
  QtSessionFiles firstFolder(QString::fromStdString(dir.file("naplo")));
  QtSessionFiles secondFolder(QString::fromStdString(dir.file("naplo")));
  history::Recorder first(firstFolder, clock, dialogs, deferred, saving);
  history::Recorder second(secondFolder, clock, dialogs, deferred, saving);
  for (int k = 0; k < 3; ++k) {
    first.status({1, 10, true, false, false, 4.0f});
    second.status({3, 20, true, false, false, 4.0f});
  }
  const std::string header = std::string(history::kCsvHeader) + '\n';
  const std::string firstLine = "2026-03-01T08:00:00.000+01:00,status,1,10,1,0,0,4,\n";
  const std::string secondLine = "2026-03-01T08:00:00.000+01:00,status,3,20,1,0,0,4,\n";
  EXPECT_EQ(ReadWholeFile(dir.file("naplo/2026-03-01_08-00-00.csv")),
            header + firstLine + firstLine + firstLine);
  EXPECT_EQ(ReadWholeFile(dir.file("naplo/2026-03-01_08-00-00-2.csv")),
            header + secondLine + secondLine + secondLine);
  EXPECT_TRUE(dialogs.shown.empty() && deferred.jobs.empty());
  EXPECT_EQ(history::SessionsToDelete(firstFolder.list(), 1, "x"),
            (std::vector<std::string>{"2026-03-01_08-00-00.csv", "2026-03-01_08-00-00-2.csv"}));
}

TEST(HistoryRecording, AChargeRunWithASilenceAndAnUploadIsAllInTheSessionFile) {
  // Stages of 2.5 s, so the 2 s polls meet every state; then 4 s of silence.
  ProgramRig rig(207, {"--model-seconds", "2.5", "--silent-from", "13000", "--silent-for", "4000"});
  const history::Recorder& recorder = rig.form.recorder;
  HistoryWindow chart(rig.form.recorder);
  chart.show();
  const auto sessionFile = [&] {
    return (rig.sessionFiles.folder() + "/").toStdString() + recorder.sessionName();
  };
  // A status as its state's digit, an event as a letter: coNnected, Lost, Restored...
  const auto story = [&] {
    std::string s;
    if (recorder.sessionName().empty()) return s;
    for (const history::Entry& e : history::ReadCsv(ReadWholeFile(sessionFile())))
      s += e.kind == history::EntryKind::Status ? char('0' + e.state) : "-LRUCOSN"[int(e.kind)];
    return s;
  };
  ASSERT_TRUE(ProcessEventsUntil(
      [&] { return story().find('R', story().find('L')) != std::string::npos; }, 30000))
      << story();
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.looksConnected(); }, 3 * kTickMs));
  rig.form.Fel.click();
  ASSERT_TRUE(ProcessEventsUntil([&] { return story().find('U') != std::string::npos; }));
  // Every state in turn; connected, lost once and restored; the upload last.
  const std::string told = story();
  std::vector<std::size_t> at;
  for (const char c : std::string("01234LRU")) at.push_back(told.find(c));
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end()) && told.find('N') < at[5]) << told;
  for (const char once : {'N', 'L', 'R'})
    EXPECT_EQ(std::count(told.begin(), told.end(), once), 1) << once << " in " << told;
  EXPECT_TRUE(QString::fromStdString(sessionFile()).startsWith(qgetenv("XDG_DATA_HOME")));
  EXPECT_EQ(recorder.summary().linkLosses, 1);
  EXPECT_EQ(recorder.summary().parameterUploads, 1);
  const QString png = rig.sessionFiles.folder() + "/chart.png";
  ASSERT_TRUE(chart.exportPng(png));
  EXPECT_FALSE(QImage(png).isNull());
}

}  // namespace
}  // namespace voltander::test

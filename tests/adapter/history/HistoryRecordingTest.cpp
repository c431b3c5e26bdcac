// The session files on disk, and a charge run of the real window filed in order.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>

#include "adapter/Rig.h"
#include "history/HistoryCsv.h"
#include "qt/widgets/HistoryWindow.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

TEST(QtSessionFiles, LinesReachTheDiskAtOnceAndAFullDiskIsReported) {
  TempDir dir("voltander-naplo");
  QtSessionFiles files(QString::fromStdString(dir.file("naplo")));
  ASSERT_TRUE(files.start("2026-01-01_00-00-00.csv") && files.append("a,b") && files.append("c"));
  // Still open: what a crash now would leave behind.
  EXPECT_EQ(ReadWholeFile(dir.file("naplo/2026-01-01_00-00-00.csv")), "a,b\nc\n");
  ASSERT_TRUE(files.start("2026-01-02_00-00-00.csv") && files.append("d"));
  ASSERT_EQ(files.list().size(), 2u);
  EXPECT_EQ(files.list()[0].size, 6u);  // the oldest first
  EXPECT_TRUE(files.remove("2026-01-01_00-00-00.csv"));
  EXPECT_EQ(files.list().size(), 1u);
  std::filesystem::create_symlink("/dev/full", dir.file("naplo/2026-01-03_00-00-00.csv"));
  ASSERT_TRUE(files.start("2026-01-03_00-00-00.csv"));
  EXPECT_FALSE(files.append("e"));
}

TEST(HistoryRecording, AChargeRunWithASilenceAndAnUploadIsAllInTheSessionFile) {
  // Stages of 2.5 s, so the 2 s polls meet every state; then 4 s of silence.
  ProgramRig rig(207, {"--model-seconds", "2.5", "--silent-from", "13000", "--silent-for", "4000"});
  const history::Recorder& recorder = rig.form.recorder;
  HistoryWindow chart(rig.form.recorder);
  chart.show();
  // A status as its state's digit, an event as a letter: coNnected, Lost, Restored...
  const auto story = [&] {
    std::string s;
    for (const history::Entry& e : recorder.entries())
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
  const QString path = rig.sessionFiles.folder() + "/" + recorder.sessionName().c_str();
  EXPECT_TRUE(path.startsWith(qgetenv("XDG_DATA_HOME")));
  std::string lines = std::string(history::kCsvHeader) + '\n';
  for (const history::Entry& e : recorder.entries()) lines += history::CsvLine(e) + '\n';
  EXPECT_EQ(ReadWholeFile(path.toStdString()), lines);
  const QString png = rig.sessionFiles.folder() + "/chart.png";
  ASSERT_TRUE(chart.exportPng(png));
  EXPECT_FALSE(QImage(png).isNull());
}

}  // namespace
}  // namespace voltander::test

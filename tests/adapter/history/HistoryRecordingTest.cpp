// The session files on disk, a charge run of the real window filed in order, and the
// chart read back from what it shows.
#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QImage>
#include <QLineSeries>
#include <filesystem>
#include <fstream>

#include "adapter/Rig.h"
#include "history/HistoryCsv.h"
#include "history/Recorder.h"
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
  // Stages of 4 s, so two 2 s polls meet every state and the first poll has 2 s to
  // spare for state 0; then 4 s of silence once state 4 has been polled twice.
  ProgramRig rig(207, {"--model-seconds", "4", "--silent-from", "20000", "--silent-for", "4000"});
  const history::Recorder& recorder = rig.form.recorder;
  HistoryWindow chart(rig.form.recorder);
  chart.show();
  // A status as its state's digit, an event as a letter: Lost, Restored, Upload...
  const auto story = [&] {
    std::string s;
    for (const history::Entry& e : recorder.entries())
      s += e.kind == history::EntryKind::Status ? char('0' + e.state) : "-LRUCOS"[int(e.kind)];
    return s;
  };
  ASSERT_TRUE(ProcessEventsUntil(
      [&] { return story().find('R', story().find('L')) != std::string::npos; }, 45000))
      << story();
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.looksConnected(); }, 3 * kTickMs));
  rig.form.Fel.click();
  ASSERT_TRUE(ProcessEventsUntil([&] { return story().find('U') != std::string::npos; }));
  // Every state in turn, connected before the line is pulled once, the upload last.
  const std::string told = story();
  std::vector<std::size_t> at;
  for (const char c : std::string("01234LU")) at.push_back(told.find(c));
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end()) && told.find('R') < at[5]) << told;
  EXPECT_EQ(std::count(told.begin(), told.end(), 'L'), 1) << told;
  const QString path = rig.sessionFiles.folder() + "/" + recorder.sessionName().c_str();
  EXPECT_TRUE(path.startsWith(qgetenv("XDG_DATA_HOME")));
  EXPECT_EQ(history::ReadCsv(ReadWholeFile(path.toStdString())), recorder.entries());
  const QString png = rig.sessionFiles.folder() + "/chart.png";
  ASSERT_TRUE(chart.exportPng(png));
  EXPECT_FALSE(QImage(png).isNull());
}

using Points = std::vector<std::pair<qint64, double>>;

// The duty line's points (ms since the epoch, percent), then the time axis's ends.
Points Shown(const HistoryWindow& w) {
  Points out;
  const QChart* chart = w.chartView()->chart();
  for (QAbstractSeries* s : chart->series())
    if (auto* line = qobject_cast<QLineSeries*>(s))
      for (const QPointF& p : line->points()) out.emplace_back(qint64(p.x()), p.y());
  const auto* axis = qobject_cast<QDateTimeAxis*>(chart->axes(Qt::Horizontal).at(0));
  out.emplace_back(axis->min().toMSecsSinceEpoch(), axis->max().toMSecsSinceEpoch());
  return out;
}

TEST(HistoryWindow, APastFileIsShownWholeAndTheLiveViewMovesWithEachNewReply) {
  FakeSessionFiles files;
  StepClock clock;  // 2 s a reading from 1772348400 s
  FakeDialogs dialogs;
  MenuItem saving;
  history::Recorder recorder(files, clock, dialogs, saving);
  HistoryWindow chart(recorder);
  TempDir dir("voltander-chart");
  std::ofstream(dir.file("past.csv")) << history::kCsvHeader << "\n"
                                      << "2026-12-06T22:13:17.000+01:00,status,2,0,1,0,0,4,\n"
                                      << "2026-12-06T22:13:19.000+01:00,status,2,51,1,0,0,4,\n"
                                      << "2026-12-06T22:13:21.000+01:00,status,3,255,1,0,0,4,\n";
  ASSERT_TRUE(chart.openFile(QString::fromStdString(dir.file("past.csv"))));
  EXPECT_FALSE(chart.live() || chart.openFile(QString::fromStdString(dir.file("nincs.csv"))));
  const qint64 t = 1796591597000;  // 22:13:17 +01:00
  EXPECT_EQ(Shown(chart), (Points{{t, 0}, {t + 2000, 20}, {t + 4000, 100}, {t, t + 60000}}));
  // The run: a first reply fills a minute's view; each later one, drawn in turn, pushes it.
  recorder.status({2, 51, true, false, false, 4.0f});
  chart.showLive();
  for (int i = 1; i <= 40; ++i, QApplication::processEvents())
    recorder.status({2, 51, true, false, false, 4.0f});
  const qint64 n = 1772348480000;  // the 41st reply, 80 s after the first
  EXPECT_TRUE(chart.live() && ProcessEventsUntil([&] {
                const Points s = Shown(chart);
                return Points(s.end() - 2, s.end()) == Points{{n, 20}, {n - 60000, n}};
              }));
}

}  // namespace
}  // namespace voltander::test

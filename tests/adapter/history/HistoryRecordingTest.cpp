// The session files on disk, a charge run of the real window filed in order, and the
// chart read back from what it shows.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QImage>
#include <QLineSeries>
#include <QStatusBar>
#include <csignal>
#include <cstdlib>
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

TEST(HistoryRecording, AChargeRunWithASilenceAndAnUploadIsAllInTheSessionFile) {
  // Two polls a state, however late they come; then 4 s of silence after the twelfth
  // reply (ten status replies and the handshake's two), once state 4 has been polled twice.
  ProgramRig rig(207, {"--model-polls", "2", "--silent-after", "12", "--silent-for", "4000"});
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
      [&] { return story().find('R', story().find('L')) != std::string::npos; }, 45000))
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

// A shown chart over a recorder that keeps its session files in memory.
struct ChartRig {
  explicit ChartRig(Clock& clock) : recorder(files, clock, dialogs, deferred, saving) {
    chart.show();
  }
  FakeSessionFiles files;
  FakeDialogs dialogs;
  FakeDeferred deferred;
  MenuItem saving;  // off: the files stay empty
  history::Recorder recorder;
  HistoryWindow chart{recorder};
};

TEST(HistoryWindow, APastFileIsShownWholeAndTheLiveViewMovesWithEachNewReply) {
  StepClock clock;  // 2 s a reading from 1772348400 s
  ChartRig rig(clock);
  history::Recorder& recorder = rig.recorder;
  HistoryWindow& chart = rig.chart;
  TempDir dir("voltander-chart");
  std::ofstream(dir.file("past.csv")) << history::kCsvHeader << "\n"
                                      << "2026-12-06T22:13:17.000+01:00,status,2,0,1,0,0,4,\n"
                                      << "2026-12-06T22:13:19.000+01:00,status,2,51,1,0,0,4,\n"
                                      << "2026-12-06T22:13:21.000+01:00,status,3,255,1,0,0,4,\n";
  ASSERT_TRUE(chart.openFile(QString::fromStdString(dir.file("past.csv"))));
  EXPECT_FALSE(chart.live() || chart.openFile(QString::fromStdString(dir.file("nincs.csv"))));
  EXPECT_EQ(chart.windowTitle(), "Napló – past.csv");
  const qint64 t = 1796591597000;  // 22:13:17 +01:00
  QApplication::processEvents();
  EXPECT_EQ(Shown(chart), (Points{{t, 0}, {t + 2000, 20}, {t + 4000, 100}, {t, t + 60000}}));
  EXPECT_EQ(chart.chartView()->chart()->axes(Qt::Horizontal)[0]->property("format").toString(),
            "HH:mm:ss");
  // The run: a first reply fills a minute's view; each later one, drawn in turn, pushes it.
  recorder.status({2, 51, true, false, false, 4.0f});
  chart.showLive();
  for (int i = 1; i <= 40; ++i, QApplication::processEvents())
    recorder.status({2, 51, true, false, false, 4.0f});
  const qint64 n = 1772348480000;  // the 41st reply, 80 s after the first
  // The minute's view has left the first replies behind and ends at the newest.
  EXPECT_TRUE(chart.live() && chart.windowTitle() == "Napló – Grafikon" && ProcessEventsUntil([&] {
                const Points s = Shown(chart);
                const auto [from, to] = s.back();
                return s[s.size() - 2] == std::pair<qint64, double>{n, 20} && from >= n - 60000 &&
                       from < n && to >= n;
              }));
  // Minimised, it draws nothing; shown again, it catches up with the newest reply.
  const Points before = Shown(chart);
  chart.showMinimized();
  for (int i = 0; i < 5; ++i, QApplication::processEvents())
    recorder.status({2, 51, true, false, false, 4.0f});
  EXPECT_EQ(Shown(chart), before);
  chart.showNormal();
  EXPECT_TRUE(ProcessEventsUntil([&] { return Shown(chart).rbegin()[1].first == n + 10000; }));
}

// Six hours zoomed out to one view: one reply of maintenance at full duty with the
// fault light still shows in each of its bands.
TEST(HistoryWindow, OneReplyStillShowsInEveryBandOverTheWholeRun) {
  struct Clock2s : Clock {
    LocalTime now() override { return history::LocalTimeAt(seconds += 2, 60); }
    double seconds = 1772348400;
  } clock;
  ChartRig rig(clock);
  HistoryWindow& chart = rig.chart;
  for (int k = 1; k <= 10800; ++k) {
    const bool odd = k == 7000;
    rig.recorder.status(
        {std::uint8_t(odd ? 4 : 3), std::uint8_t(odd ? 255 : 120), true, odd, false, 4.0f});
  }
  chart.showLive();
  QApplication::processEvents();
  const QImage shot = chart.chartView()->grab().toImage();
  QChart* c = chart.chartView()->chart();
  EXPECT_EQ(c->axes(Qt::Horizontal)[0]->property("format").toString(), "MM-dd HH:mm");
  // Whether a pixel within one of the time, at the value, passes.
  const auto near = [&](double seconds, double value, auto pass) {
    const QPointF at = c->mapToScene(c->mapToPosition({seconds * 1000, value}, c->series()[0]));
    const QPoint p = chart.chartView()->mapFromScene(at);
    return pass(shot.pixelColor(p - QPoint(1, 0))) || pass(shot.pixelColor(p)) ||
           pass(shot.pixelColor(p + QPoint(1, 0)));
  };
  const auto is = [](QColor want) { return [want](QColor got) { return got == want; }; };
  const QColor red(255, 0, 0), duty(0x20, 0x20, 0x80), holding(207, 223, 255);
  const double odd = 1772348400 + 14000, later = odd + 4000;
  EXPECT_TRUE(near(odd, 104.5, is(red)) && near(odd, 98, is(duty)));
  EXPECT_TRUE(near(odd, 10, [&](QColor got) { return got != holding; }));
  EXPECT_FALSE(near(later, 104.5, is(red)) || near(later, 98, is(duty)));
  EXPECT_TRUE(near(later, 10, is(holding)) && near(1772348402, 10, is(holding)));  // the first
}

// One session folder shared by two programs, and a session of several day parts
// opened in the chart, over the real session files.
struct FixedClock : Clock {
  LocalTime now() override { return {2026, 3, 1, 8, 0, 0, 0, 60}; }
};

// Two programs started in the same second get a file each, the later one "-2". Each
// trim, with a cap of one byte, passes over the other program's file, locked while it
// is written, and deletes what nobody writes.
TEST(SessionFolder, TwoRecordersWithATinyCapNeverDeleteEachOthersLiveFile) {
  TempDir dir("voltander-naplo");
  const std::string naplo = dir.file("naplo");
  std::filesystem::create_directory(naplo);
  std::ofstream(naplo + "/2026-02-01_00-00-00.csv") << "old\n";
  std::ofstream(dir.file("elsewhere.csv")) << "kept\n";  // a link's target stays
  std::filesystem::create_symlink("../elsewhere.csv", naplo + "/2026-01-01_00-00-00.csv");
  FixedClock clock;
  FakeDialogs dialogs;
  FakeDeferred deferred;
  MenuItem saving;
  saving.setChecked(true);
  QtSessionFiles firstFolder(QString::fromStdString(naplo));
  QtSessionFiles secondFolder(QString::fromStdString(naplo));
  history::Recorder first(firstFolder, clock, dialogs, deferred, saving, 1);
  history::Recorder second(secondFolder, clock, dialogs, deferred, saving, 1);
  for (int k = 0; k < 2; ++k) {
    first.status({1, 10, true, false, false, 4.0f});
    second.status({3, 20, true, false, false, 4.0f});
  }
  const std::string header = std::string(history::kCsvHeader) + '\n';
  const std::string firstLine = "2026-03-01T08:00:00.000+01:00,status,1,10,1,0,0,4,\n";
  const std::string secondLine = "2026-03-01T08:00:00.000+01:00,status,3,20,1,0,0,4,\n";
  EXPECT_EQ(ReadWholeFile(naplo + "/2026-03-01_08-00-00.csv"), header + firstLine + firstLine);
  EXPECT_EQ(ReadWholeFile(naplo + "/2026-03-01_08-00-00-2.csv"), header + secondLine + secondLine);
  EXPECT_FALSE(std::filesystem::exists(naplo + "/2026-02-01_00-00-00.csv"));
  EXPECT_FALSE(std::filesystem::is_symlink(naplo + "/2026-01-01_00-00-00.csv"));
  EXPECT_EQ(ReadWholeFile(dir.file("elsewhere.csv")), "kept\n");
  EXPECT_TRUE(dialogs.shown.empty() && deferred.jobs.empty());
  // Closed, a file may go.
  firstFolder.close();
  EXPECT_FALSE(firstFolder.remove("2026-03-01_08-00-00-2.csv"));
  EXPECT_TRUE(secondFolder.remove("2026-03-01_08-00-00.csv"));
}

// The first and third days' parts are gone; the session's other parts are shown as
// one, and a later session of the same second is not part of it.
TEST(SessionFolder, TheChartOpensTheSessionOfAnyPartAndNamesTheMissingOne) {
  const std::string zone = std::getenv("TZ") ? std::getenv("TZ") : "";
  setenv("TZ", "UTC", 1);
  tzset();
  TempDir dir("voltander-naplo");
  const auto write = [&](const std::string& name, const std::vector<std::string>& times) {
    std::ofstream file(dir.file(name));
    file << history::kCsvHeader << '\n';
    for (const std::string& t : times) file << t << "+00:00,status,3,100,1,0,0,4,\n";
  };
  write("2026-03-01_08-00-00.002.csv", {"2026-03-02T00:00:00.000", "2026-03-02T00:00:02.000"});
  write("2026-03-01_08-00-00.004.csv", {"2026-03-04T00:00:00.000"});
  write("2026-03-01_08-00-00-2.csv", {"2026-03-05T00:00:00.000"});
  StepClock clock;
  ChartRig rig(clock);
  HistoryWindow& chart = rig.chart;
  ASSERT_TRUE(chart.openFile(QString::fromStdString(dir.file("2026-03-01_08-00-00.002.csv"))));
  chart.redraw();
  EXPECT_EQ(chart.statusBar()->currentMessage(),
            "Hiányzó rész: 2026-03-01 08:00 – 2026-03-02 00:00 (a napló e része törölve). "
            "Hiányzó rész: 2026-03-02 00:00 – 2026-03-04 00:00 (a napló e része törölve).");
  const auto* axis =
      qobject_cast<QDateTimeAxis*>(chart.chartView()->chart()->axes(Qt::Horizontal)[0]);
  EXPECT_EQ(axis->min().toMSecsSinceEpoch(), 1772352000000);  // 2026-03-01 08:00 UTC
  EXPECT_EQ(axis->max().toMSecsSinceEpoch(), 1772582400000);  // 2026-03-04 00:00 UTC
  zone.empty() ? unsetenv("TZ") : setenv("TZ", zone.c_str(), 1);
  tzset();
}

}  // namespace
}  // namespace voltander::test

// Months on a standby battery, compressed: the recorder and the chart fed one status
// reply every 2 s of a fake clock through 90 days, into real session files, on the
// offscreen platform. At day 1, 7, 30 and 90 it prints the resident memory and the
// cost of one reply with the chart following (recording, the chart's update, its
// redraw and the repaint, grab()), zoomed out to the whole run and at the last
// hour, beside a bare chart of 1,000 points drawn the same way.
//
//   longrun_bench [days]        the run (default 90); VOLTANDER_SHOTS=folder saves
//                               the window at each checkpoint as PNG files
//   longrun_bench --open FILE   a session opened from one of its files and drawn,
//                               against a bare chart; VOLTANDER_KEEP_30_DAYS=folder
//                               keeps the run's session files of day 30 there
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QElapsedTimer>
#include <QDir>
#include <QFileInfo>
#include <QMenuBar>
#include <QAbstractAxis>
#include <QFile>
#include <QLineSeries>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "history/ChartFrame.h"
#include "history/Recorder.h"
#include "qt/platform/QtSessionFiles.h"
#include "qt/widgets/HistoryWindow.h"

using namespace voltander;

namespace {

constexpr int kRepeats = 31;
constexpr int kRepliesADay = 43200;

// A clock that reads what the run says it is.
class RunClock : public Clock {
 public:
  LocalTime now() override { return history::LocalTimeAt(seconds, 60); }
  double seconds = 1796591597.0;
};

double ResidentMb() {
  std::ifstream status("/proc/self/status");
  for (std::string key; status >> key;) {
    if (key == "VmRSS:") {
      double kb = 0;
      status >> kb;
      return kb / 1024;
    }
  }
  return 0;
}

template <typename F>
double MedianMs(F&& once) {
  std::vector<double> ms;
  for (int k = 0; k < kRepeats; ++k) {
    QElapsedTimer timer;
    timer.start();
    once();
    ms.push_back(timer.nsecsElapsed() / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

// The floor: a bare chart of 1,000 points, replaced, its time axis moved by a step
// as a following chart's is, laid out and grabbed. Its axes are made once: made
// anew at each draw, they leave 1 to 3 MB behind per checkpoint in this process,
// which would count against the chart under test.
struct BareChart {
  BareChart() {
    chart->addSeries(line);
    view.resize(1000, 500);
    view.show();
    for (int k = 0; k < 1000; ++k) points << QPointF(k, (k * 37) % 100);
    chart->createDefaultAxes();
  }
  double drawMs() {
    return MedianMs([&] {
      line->replace(points);
      step = 1 - step;
      chart->axes(Qt::Horizontal).first()->setRange(step, 999 + step);
      view.grab();
    });
  }
  QChart* chart = new QChart;
  QLineSeries* line = new QLineSeries;
  QChartView view{chart};
  QList<QPointF> points;
  int step = 0;
};

// A maintainer charger's day: charging for hours, then level holding with a
// maintenance discharge every other day, noise on the duty, rare faults.
StatusRecord Reply(long k) {
  const long hour = k / 1800;
  StatusRecord r;
  r.state = hour % 48 < 3 ? 1 : hour % 48 < 6 ? 2 : (hour % 48 == 40 ? 4 : 3);
  r.duty = static_cast<std::uint8_t>(std::clamp(120 + 40 * (r.state == 1) + int(k * 7919 % 25) - 12, 0, 253));
  if (k % 20011 == 0) r.duty = 255;
  r.fault = r.duty >= 254;
  r.charging = r.state != 4;
  r.ratio = 4.01f;
  return r;
}

void ShowWholeRun(HistoryWindow& window) {
  for (QAction* a : window.menuBar()->actions())
    if (a->text() == QString::fromUtf8("Teljes idő")) a->trigger();
  QApplication::processEvents();
}

void ShowLast(HistoryWindow& window, double seconds, double newest) {
  QAbstractAxis* time = window.chartView()->chart()->axes(Qt::Horizontal).first();
  time->setRange(QDateTime::fromMSecsSinceEpoch(qint64((newest - seconds) * 1000)),
                 QDateTime::fromMSecsSinceEpoch(qint64(newest * 1000)));
  QApplication::processEvents();
}

int Run(int days) {
  QTemporaryDir folder;
  QtSessionFiles files(folder.path());
  RunClock clock;
  test::FakeDialogs dialogs;
  test::FakeDeferred deferred;
  MenuItem saving;
  saving.setChecked(true);
  history::Recorder recorder(files, clock, dialogs, deferred, saving);
  BareChart bare;
  HistoryWindow window(recorder);
  window.resize(1250, 500);
  window.show();
  QApplication::processEvents();

  long k = 0;
  const auto reply = [&] {
    clock.seconds += 2;
    recorder.status(Reply(k++));
  };
  // One reply as the program handles it: recorded, the event loop redraws and
  // repaints, and the chart is grabbed.
  const auto drawnReply = [&] {
    reply();
    QApplication::processEvents();
    window.chartView()->grab();
  };
  std::printf("| day | replies | resident memory | one reply, whole run | one reply, last hour "
              "| bare chart of 1,000 points | frame worked out | store | session files |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");
  double firstHour = 0;
  // The first hour, then the days; the memory is read after the chart has drawn at
  // each, before the bare chart draws.
  for (const double day : {1.0 / 24, 1.0, 7.0, 30.0, 90.0}) {
    if (day > days) break;
    // Between the checkpoints the window is hidden, and a hidden chart draws
    // nothing: those replies cost what the recorder costs.
    window.hide();
    while (k < long(day * kRepliesADay)) reply();
    window.show();
    QApplication::processEvents();
    ShowWholeRun(window);
    const double wholeMs = MedianMs(drawnReply);
    const double frameMs = MedianMs([&] {
      const history::Timeline& t = recorder.timeline();
      history::Frame(t, t.first(), t.last(), 1000);
    });
    ShowLast(window, 3600, clock.seconds);
    const double hourMs = MedianMs(drawnReply);
    const double mb = ResidentMb();
    if (firstHour == 0) firstHour = mb;
    const double bareMs = bare.drawMs();
    double fileBytes = 0;  // the session's parts that the folder cap has left
    for (const SessionFileInfo& f : files.list()) fileBytes += f.size;
    std::printf("| %s | %ld | %.1f MB (%+.1f MB over the first hour) | %.1f ms | %.1f ms "
                "| %.1f ms | %.2f ms | %.1f MB | %.0f MB |\n",
                day < 1 ? "1 h" : qPrintable(QString::number(day)), k, mb, mb - firstHour, wholeMs,
                hourMs, bareMs, frameMs, recorder.timeline().bytes() / 1048576.0,
                fileBytes / 1e6);
    std::fflush(stdout);
    // The window as a user would see it, zoomed out to the whole run and at one hour.
    if (const QString shots = qEnvironmentVariable("VOLTANDER_SHOTS"); !shots.isEmpty()) {
      ShowWholeRun(window);
      window.grab().save(shots + QStringLiteral("/day-%1-whole.png").arg(day < 1 ? 0 : int(day)));
      ShowLast(window, 3600, clock.seconds - 5 * 86400);
      window.grab().save(shots + QStringLiteral("/day-%1-hour.png").arg(day < 1 ? 0 : int(day)));
    }
    if (const QString keep = qEnvironmentVariable("VOLTANDER_KEEP_30_DAYS");
        day == 30.0 && !keep.isEmpty() && QDir().mkpath(keep)) {
      for (const SessionFileInfo& f : files.list()) {
        const QString name = QString::fromStdString(f.name);
        QFile::copy(files.folder() + "/" + name, keep + "/" + name);
      }
    }
  }
  return 0;
}

// Opening a long session: the time to read and draw it, and the memory above a
// bare chart of 1,000 points in the same process.
int Open(const QString& path) {
  BareChart bare;
  QApplication::processEvents();
  bare.drawMs();
  const double bareMb = ResidentMb();
  RunClock clock;
  test::FakeSessionFiles files;
  test::FakeDialogs dialogs;
  test::FakeDeferred deferred;
  MenuItem saving;
  history::Recorder recorder(files, clock, dialogs, deferred, saving);
  HistoryWindow window(recorder);
  window.resize(1250, 500);
  window.show();
  QApplication::processEvents();
  QElapsedTimer timer;
  timer.start();
  if (!window.openFile(path)) return 1;
  QApplication::processEvents();
  window.chartView()->grab();
  const double ms = timer.nsecsElapsed() / 1e6;
  long long bytes = 0;  // of every file in the folder: the session's parts
  for (const QFileInfo& f : QFileInfo(path).dir().entryInfoList({"*.csv"}, QDir::Files))
    bytes += f.size();
  std::printf("| opened and drawn | %.0f ms | %.1f MB above the bare chart (%.1f MB) | %lld bytes |\n",
              ms, ResidentMb() - bareMb, bareMb, bytes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc > 2 && std::string(argv[1]) == "--open") return Open(QString::fromLocal8Bit(argv[2]));
  return Run(argc > 1 ? std::atoi(argv[1]) : 90);
}

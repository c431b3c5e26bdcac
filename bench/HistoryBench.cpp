// The charge-history chart: a week of records at one per poll (302,400) read from its
// session file and drawn, beside the floor of a bare chart drawing 1,000 points. Both
// draw into a 1000 by 500 view on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <random>

#include "fakes/Fakes.h"
#include "history/HistoryCsv.h"
#include "history/Recorder.h"
#include "qt/widgets/HistoryWindow.h"

namespace voltander {
namespace {

constexpr int kWeek = 7 * 24 * 3600 / 2;

// A week as a maintainer charger spends it: charge, level holding for hours,
// a maintenance discharge now and then, noise on the duty, rare faults and events.
std::string WriteWeek(const QString& folder) {
  const std::string path = (folder + QStringLiteral("/week.csv")).toStdString();
  std::ofstream out(path, std::ios::binary);
  out << history::kCsvHeader << '\n';
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> noise(-12, 12);
  history::Entry e;
  e.offsetMinutes = 60;
  for (int k = 0; k < kWeek; ++k) {
    e.seconds = 1796591597.0 + k * 2.0;
    const int hour = k / 1800;
    e.kind = history::EntryKind::Status;
    e.state = hour < 3 ? 1 : hour < 6 ? 2 : (hour % 48 == 40 ? 4 : 3);
    e.duty = static_cast<std::uint8_t>(std::clamp(120 + 40 * (e.state == 1) + noise(rng), 0, 253));
    if (rng() % 20011 == 0) e.duty = 255;
    e.fault = e.duty >= 254;
    e.charging = e.state != 0 && e.state != 4;
    e.calibrationLoop = false;
    e.ratio = 4.01f;
    out << history::CsvLine(e) << '\n';
    if (k % 9000 == 4500) {
      history::Entry ev;
      ev.seconds = e.seconds + 1;
      ev.offsetMinutes = 60;
      ev.kind = history::EntryKind::LinkLost;
      out << history::CsvLine(ev) << '\n';
    }
  }
  return path;
}

class NoFiles : public SessionFiles {
 public:
  Start start(const std::string&) override { return Start::Created; }
  bool append(const std::string&) override { return true; }
  void close() override {}
  std::vector<SessionFileInfo> list() override { return {}; }
  bool remove(const std::string&) override { return true; }
  std::string read(const std::string&, std::uint64_t, std::uint64_t) override { return {}; }
};

class FixedClock : public Clock {
 public:
  LocalTime now() override { return {}; }
};

void BM_HistoryWeekOpenAndDraw(benchmark::State& state) {
  QTemporaryDir folder;
  const QString path = QString::fromStdString(WriteWeek(folder.path()));
  NoFiles files;
  FixedClock clock;
  test::FakeDialogs dialogs;
  test::FakeDeferred deferred;
  MenuItem saving;
  history::Recorder recorder(files, clock, dialogs, deferred, saving);
  HistoryWindow window(recorder);
  window.resize(1000, 500);
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    if (!window.openFile(path)) state.SkipWithError("the week did not open");
    benchmark::DoNotOptimize(window.chartView()->grab());
  }
}
BENCHMARK(BM_HistoryWeekOpenAndDraw)->Unit(benchmark::kMillisecond);

void BM_BareChart1000Points(benchmark::State& state) {
  auto* chart = new QChart;
  auto* line = new QLineSeries;
  chart->addSeries(line);
  QChartView view(chart);
  view.resize(1000, 500);
  view.show();
  QList<QPointF> points;
  for (int k = 0; k < 1000; ++k) points << QPointF(k, (k * 37) % 100);
  QApplication::processEvents();
  for (auto _ : state) {
    line->replace(points);
    chart->createDefaultAxes();
    benchmark::DoNotOptimize(view.grab());
  }
}
BENCHMARK(BM_BareChart1000Points)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace voltander

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

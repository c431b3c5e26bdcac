// The two paths a user waits on, with the real widgets mirroring the forms on the
// offscreen platform: a recompute in the calibration window (ratio, step tables, the
// main window's list texts, the threshold list) and one status reply from the
// receive event to the updated main window. Each is timed once up to the widgets
// being updated, and once more including the repaint those changes cause.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "app/Folap.h"
#include "calibration/Oszto.h"
#include "common/Kozos.h"
#include "fakes/Fakes.h"
#include "params/StepTables.h"
#include "qt/widgets/FolapWindow.h"
#include "qt/widgets/OsztoWindow.h"
#include "qt/platform/QtSystem.h"

using namespace voltander;

namespace {

// The main window as the program builds it, with the line, the timer and the dialogs
// replaced by fakes so that replies can be delivered on demand. The decimal separator
// comes from the real desktop, as the texts are formatted with it on every rebuild.
struct LiveMainWindow {
  LiveMainWindow()
      : platform{port, timer,   settings, dialogs,    files,        pause,
                 beep, desktop, journal,  portSearch, sessionFiles, clock, retryTimer, deferred} {
    form.Form_Load();
    window.show();
    Settle();
  }

  static void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }

  test::FakeSerialPort port;
  test::FakeTimer timer;
  test::FakeSettings settings;
  test::FakeDialogs dialogs;
  test::FakeFileStore files;
  test::FakePause pause;
  test::FakeBeep beep;
  QtDesktop desktop;
  Journal journal;
  test::FakePortSearch portSearch;
  test::FakeSessionFiles sessionFiles;
  test::StepClock clock;
  test::FakeTimer retryTimer;
  test::FakeDeferred deferred;
  Kozos kozos;
  Platform platform;
  Folap form{kozos, platform};
  FolapWindow window{form};
};

// Two Vcc entries whose ratios differ, so every recompute rewrites the divided rows.
constexpr std::array<int, 2> kVccChoices{100, 140};

void CalibrationRecompute(benchmark::State& state, bool repaint) {
  LiveMainWindow live;
  Oszto oszto(live.form.osztoHost());
  bool ran = false;
  // The window is modal: the measuring runs inside its event loop once it is up (its
  // opening already lets events run), then closes it.
  QTimer wait;
  QObject::connect(&wait, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (ran || !modal || modal->objectName() != QStringLiteral("Oszto")) return;
    ran = true;
    wait.stop();
    LiveMainWindow::Settle();
    std::size_t n = 0;
    for (auto _ : state) {
      oszto.Vcc.setSelectedSilently(kVccChoices[n++ % kVccChoices.size()]);
      oszto.Teszt_Click();
      if (repaint) QApplication::processEvents();
    }
    oszto.Megsem_Click();
  });
  wait.start(5);
  ShowOsztoModal(oszto, &live.window);
  if (!ran) state.SkipWithError("the calibration window did not open");
  if (oszto.Ufesz.text().empty()) state.SkipWithError("no threshold list was computed");
  // The main window's lists must show the texts of the last recompute.
  const auto* umax = live.window.findChild<QComboBox*>(QStringLiteral("Umax"));
  const std::size_t last = kVoltageEntries - 1;
  if (!umax || umax->itemText(static_cast<int>(last)).toStdString() != live.form.Umax.text(last)) {
    state.SkipWithError("the main window's lists were not rewritten");
  }
}

void BM_CalibrationRecompute(benchmark::State& state) { CalibrationRecompute(state, false); }
void BM_CalibrationRecomputePainted(benchmark::State& state) { CalibrationRecompute(state, true); }
BENCHMARK(BM_CalibrationRecompute)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CalibrationRecomputePainted)->Unit(benchmark::kMicrosecond);

std::vector<std::uint8_t> StatusFrame(std::uint8_t duty, std::uint8_t stateAndCharge) {
  // Ratio 4.000, the one in force, so no rebuild is triggered.
  return {'S', 'E', duty, '0', '0', '0', 15, 160, stateAndCharge, 'T'};
}

void StatusReply(benchmark::State& state, bool repaint) {
  LiveMainWindow live;
  live.port.open(1);
  // The first reply of a connection starts the handshake; the measured ones do not.
  live.port.deliver(StatusFrame(200, 0x01));
  LiveMainWindow::Settle();
  // Duty, state label and charge indicator all change from one reply to the next.
  const std::array<std::vector<std::uint8_t>, 2> frames{StatusFrame(120, 0x12),
                                                        StatusFrame(40, 0x03)};
  std::size_t n = 0;
  for (auto _ : state) {
    live.port.deliver(frames[n++ % frames.size()]);
    if (repaint) QApplication::processEvents();
  }
  // The display must show the last reply: the charging one, or the idle one.
  const bool charging = n % 2 == 1;
  const auto* bar = live.window.findChild<QProgressBar*>(QStringLiteral("Bar"));
  if (!bar || bar->value() != (charging ? 120 : 0) ||
      !live.form.State[charging ? 2 : 3].enabled()) {
    state.SkipWithError("the replies did not reach the display");
  }
}

void BM_StatusReplyToDisplay(benchmark::State& state) { StatusReply(state, false); }
void BM_StatusReplyToDisplayPainted(benchmark::State& state) { StatusReply(state, true); }
BENCHMARK(BM_StatusReplyToDisplay)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatusReplyToDisplayPainted)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

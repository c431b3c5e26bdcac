// The core's hot paths, without widgets: what a slider step and a reply cost in logic.
// The form runs over quiet fakes: a journal that keeps nothing and the history's
// saving off, so the figure is the link's own work on a reply.
#include <benchmark/benchmark.h>

#include "fakes/Fakes.h"
#include "params/StepTables.h"

using namespace voltander;

namespace {

struct QuietCore {
  test::FakeSerialPort port;
  test::FakeTimer timer;
  test::FakeSettings settings;
  test::FakeDialogs dialogs;
  test::FakeFileStore files;
  test::FakePause pause;
  test::FakeBeep beep;
  test::FakeDesktop desktop;
  Journal journal;
  test::FakePortSearch portSearch;
  test::FakeSessionFiles sessionFiles;
  test::StepClock clock;
  test::FakeTimer retryTimer;
  Kozos kozos;
  test::FakeDeferred deferred;
  Platform platform{port, timer,   settings, dialogs,    files,        pause,
                    beep, desktop, journal,  portSearch, sessionFiles, clock, retryTimer, deferred};
  Folap form{kozos, platform};
};

}  // namespace

static void BM_BuildStepTables(benchmark::State& state) {
  QuietCore c;
  c.form.Form_Load();
  float ratio = 3.0f;
  for (auto _ : state) {
    ratio = ratio == 3.0f ? 3.0120482f : 3.0f;
    c.kozos.DividerRatio = ratio;
    BuildStepTables(c.kozos, c.form.lists, ".");
  }
}
BENCHMARK(BM_BuildStepTables);

static void BM_StatusReply(benchmark::State& state) {
  QuietCore c;
  c.settings.values["Voltander/Setup/Portok"] = "0";
  c.settings.values["Voltander/Setup/Naplo"] = "0";
  c.form.Form_Load();
  const std::vector<std::uint8_t> frame{'S', 'E', 120, '0', '0', '0', 15, 160, 18, 'T'};
  c.port.deliver(frame);
  for (auto _ : state) {
    c.port.deliver(frame);
    c.port.written.clear();
  }
}
BENCHMARK(BM_StatusReply);

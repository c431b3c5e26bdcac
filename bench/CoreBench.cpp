// The core's hot paths, without widgets: what a slider step and a reply cost in logic.
#include <benchmark/benchmark.h>

#include "fakes/Fakes.h"
#include "params/StepTables.h"

using namespace voltander;

static void BM_BuildStepTables(benchmark::State& state) {
  test::Harness h;
  h.form->Form_Load();
  float ratio = 3.0f;
  for (auto _ : state) {
    ratio = ratio == 3.0f ? 3.0120482f : 3.0f;
    h.kozos.DividerRatio = ratio;
    BuildStepTables(h.form->kozos, h.form->lists, ".");
  }
}
BENCHMARK(BM_BuildStepTables);

static void BM_StatusReply(benchmark::State& state) {
  test::Harness h;
  h.loadWithPort(0);
  h.reply('E', {200, '0', '0', '0', 15, 160, 18});
  const std::vector<std::uint8_t> frame{'S', 'E', 120, '0', '0', '0', 15, 160, 18, 'T'};
  for (auto _ : state) {
    h.port.deliver(frame);
    h.port.written.clear();
  }
}
BENCHMARK(BM_StatusReply);

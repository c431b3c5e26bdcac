// The controller search against simulators on real pseudo-terminals, each registered
// as a port link: listing the candidates and probing them all, as the menu item does
// after the user has agreed. Eight answering simulators, and the worst case of 32
// candidates where 24 stay silent and the full answer window passes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <memory>
#include <vector>

#include "discovery/Candidates.h"
#include "qt/platform/QtPortSearch.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

using namespace voltander;

namespace {

void BM_SearchProbe(benchmark::State& state) {
  const int candidates = static_cast<int>(state.range(0));
  QtPortSearch search;
  int answered = 0;
  for (auto _ : state) {
    const std::vector<Candidate> found =
        CollectCandidates(search.systemDevices(), search.registeredLinks());
    std::vector<std::string> paths;
    for (const Candidate& c : found) {
      if (c.comm >= 1 && c.comm <= candidates) paths.push_back(c.path);
    }
    const ProbeRun run = search.probe(paths);
    answered = 0;
    for (ProbeOutcome o : run.outcomes) answered += o == ProbeOutcome::Answered ? 1 : 0;
  }
  state.counters["answered"] = answered;
  state.counters["candidates"] = candidates;
}
BENCHMARK(BM_SearchProbe)
    ->Arg(8)
    ->Arg(32)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  test::TempDir config("voltander-search-bench");
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  QApplication app(argc, argv);

  std::vector<std::unique_ptr<test::SimProcess>> sims;
  const test::EnvOverrides env{{"XDG_CONFIG_HOME", config.path()}};
  for (int n = 1; n <= 32; ++n) {
    std::vector<std::string> args{"--port", std::to_string(n)};
    if (n > 8) args.insert(args.end(), {"--silent-from", "1"});
    sims.push_back(std::make_unique<test::SimProcess>(args, env));
  }

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The publishing work one status reply costs on the window's thread, against a real
// broker started here: the telemetry's decision, its JSON and the client library
// queueing the message for its own network thread. Every reply changes the duty, so
// each one is published; the unchanged reply shows the cost of deciding not to.
// And the memory a hostile broker can make the program hold: one that floods
// unsolicited QoS 2 messages (1,000 of 100 kB), against the resident size before.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <memory>

#include "fakes/Fakes.h"
#include "mqtt/Telemetry.h"
#include "qt/platform/MosquittoPublisher.h"
#include "qt/platform/QtSessionFiles.h"
#include "support/Broker.h"
#include "support/StandInBroker.h"

#include <fstream>
#include <unistd.h>

using namespace voltander;

namespace {

struct Publishing {
  test::Broker broker;
  test::Harness h;
  MosquittoPublisher publisher;
  QtClock clock;
  mqtt::Telemetry telemetry{publisher, h.settings, h.settings, clock,
                            {h.form->State, h.form->Kall, h.form->AMVerzio, h.form->lists,
                             h.kozos}};

  bool connect() {
    h.settings.values["Voltander/Mqtt/Enabled"] = "1";
    h.settings.values["Voltander/Mqtt/Host"] = "127.0.0.1";
    h.settings.values["Voltander/Mqtt/Port"] = std::to_string(broker.port());
    h.settings.values["Voltander/Mqtt/Prefix"] = "bench";
    h.form->Form_Load();
    telemetry.load();
    telemetry.portOpened(CommPort(1), {});
    QElapsedTimer waited;
    waited.start();
    while (telemetry.state() != BrokerState::Connected && waited.elapsed() < 10000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return telemetry.state() == BrokerState::Connected;
  }
};

void StatusReply(benchmark::State& state, bool changing) {
  if (!test::HaveMosquitto()) return state.SkipWithError("mosquitto is not installed");
  Publishing p;
  if (!p.connect()) return state.SkipWithError("no connection to the broker");
  std::uint8_t duty = 0;
  for (auto _ : state) {
    if (changing) ++duty;
    p.telemetry.status({2, duty, true, false, false, 4.0f});
  }
  // Let the network thread hand everything over, then check the last one arrived.
  const std::string want = "\"duty\":" + std::to_string(duty) + ",";
  if (p.broker.waitRetained("bench/comm1/status", want, 20000).find(want) == std::string::npos)
    state.SkipWithError("the last status did not reach the broker");
}

void BM_StatusReplyPublished(benchmark::State& state) { StatusReply(state, true); }
void BM_StatusReplyUnchanged(benchmark::State& state) { StatusReply(state, false); }
BENCHMARK(BM_StatusReplyPublished)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StatusReplyUnchanged)->Unit(benchmark::kMicrosecond);

double ResidentMb() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1e6;
}

void BM_FloodHeldMemory(benchmark::State& state) {
  for (auto _ : state) {
    test::StandInBroker flood(test::StandInBroker::Mode::Flood, 1000, 100000);
    MosquittoPublisher publisher;
    bool dropped = false;
    publisher.onState = [&](BrokerState s) { dropped = dropped || s == BrokerState::ProtocolBroken; };
    const double before = ResidentMb();
    publisher.start({"127.0.0.1", flood.port(), "", "", false, ""}, {"b/a", "offline", true, 1});
    QElapsedTimer waited;
    waited.start();
    while (!dropped && waited.elapsed() < 20000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (!dropped) return state.SkipWithError("the flooding broker was never dropped");
    state.counters["before_MB"] = before;
    state.counters["held_MB"] = ResidentMb() - before;
    publisher.stop();
  }
}
BENCHMARK(BM_FloodHeldMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

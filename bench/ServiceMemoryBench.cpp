// The service's resident memory over a long run, compressed. service::Unattended is
// composed as voltanderd composes it: its log, its configuration read from an INI
// file, real session files in a temporary folder and a real MosquittoPublisher to a
// mosquitto started here on 127.0.0.1 at a free port. Only the line and the time are
// stand-ins: a port that answers each request at once, as the simulator's controller
// does, and a clock that moves 2 s at each poll, so 100,000 replies (2.3 days of
// polling) take seconds. Before each reading the last status is waited for at the
// broker, so no message still queued in the client library counts.
//
//   service_memory_bench [replies] [--no-publish]
//
// Prints a Markdown table: the resident memory before the service is made (the Qt
// Core process alone), at start (broker connected, no reply yet), after 10,000
// replies and after every 50,000.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "Controller.h"
#include "common/Kozos.h"
#include "history/HistoryEntry.h"
#include "qt/daemon/ConfigFile.h"
#include "qt/daemon/JournalStream.h"
#include "qt/daemon/ServiceLog.h"
#include "qt/platform/LinkLog.h"
#include "qt/platform/MosquittoPublisher.h"
#include "qt/platform/QtDeferred.h"
#include "qt/platform/QtSessionFiles.h"
#include "qt/platform/QtSystem.h"
#include "service/Unattended.h"
#include "support/Broker.h"
#include "support/TempDir.h"

using namespace voltander;

namespace {

constexpr double kStartSeconds = 1796591597.0;

// A line to a controller that answers at once: each request of ten bytes gets the
// simulator controller's reply, handed over after the write that completed it, as
// the next receive event. Nothing here grows with the replies.
class AnsweringPort : public SerialPort {
 public:
  explicit AnsweringPort(const std::int64_t& ms) : ms_(ms) {}
  void setSettings(const std::string&) override {}
  OpenResult open(const std::string&) override {
    open_ = true;
    rx_.clear();
    request_.clear();
    return {};
  }
  void close() override { open_ = false; }
  bool isOpen() const override { return open_; }
  std::string deviceForComm(int) const override { return {}; }
  bool write(std::uint8_t byte) override {
    if (!open_) return false;
    request_.push_back(byte);
    if (request_.size() == 10) {
      FrameBytes frame;
      std::copy(request_.begin(), request_.end(), frame.begin());
      request_.clear();
      if (const auto reply = controller_.handle(frame, ms_)) pending_.push_back(*reply);
    }
    return true;
  }
  int read() override {
    if (rx_.empty()) return -1;
    const int b = rx_.front();
    rx_.pop_front();
    return b;
  }
  int waiting() const override { return static_cast<int>(rx_.size()); }
  void setBreak(bool) override {}

  // The replies to what was written, each raising its receive event; a reply can
  // bring further requests (the handshake), answered in turn.
  int deliver() {
    int n = 0;
    while (!pending_.empty()) {
      const FrameBytes reply = pending_.front();
      pending_.pop_front();
      rx_.insert(rx_.end(), reply.begin(), reply.end());
      if (onComm) onComm(CommEvent::Receive);
      ++n;
    }
    return n;
  }

 private:
  const std::int64_t& ms_;
  sim::Controller controller_{[] {
    sim::SimOptions o;
    o.modelSeconds = 3 * 3600;  // a charge stage of three hours
    return o;
  }()};
  std::vector<std::uint8_t> request_;
  std::deque<std::uint8_t> rx_;
  std::deque<FrameBytes> pending_;
  bool open_ = false;
};

// Ticks when the run says so.
class HandTimer : public Timer {
 public:
  void setInterval(int ms) override { interval_ = ms; }
  int interval() const override { return interval_; }
  void setEnabled(bool on) override { enabled_ = on; }
  bool enabled() const override { return enabled_; }
  void tick() {
    if (enabled_ && onTick) onTick();
  }

 private:
  int interval_ = 0;
  bool enabled_ = false;
};

// The frames are paced by the line in the service; here nothing waits.
class NoPause : public Pause {
 public:
  void sleepMs(int) override {}
};

class RunClock : public Clock {
 public:
  LocalTime now() override { return history::LocalTimeAt(seconds, 60); }
  double seconds = kStartSeconds;
};

// The real publisher, remembering the last status it was handed, so that a reading
// can wait until the broker holds it.
class WatchedPublisher : public Publisher {
 public:
  explicit WatchedPublisher(Publisher& inner) : inner_(inner) {
    inner_.onState = [this](BrokerState s) {
      if (onState) onState(s);
    };
  }
  void start(const BrokerSettings& s, const Message& will) override { inner_.start(s, will); }
  void stop() override { inner_.stop(); }
  void publish(const Message& m) override {
    if (m.topic.ends_with("/status")) lastStatus = m.payload;
    ++published;
    inner_.publish(m);
  }
  std::string hostName() override { return inner_.hostName(); }

  std::string lastStatus;
  long published = 0;

 private:
  Publisher& inner_;
};

long StatusKb(const char* key) {
  std::ifstream status("/proc/self/status");
  const std::string want = std::string(key) + ":";
  for (std::string k; status >> k;) {
    if (k == want) {
      long kb = 0;
      status >> kb;
      return kb;
    }
  }
  return 0;
}

std::uint64_t FolderBytes(const std::string& folder, int& files) {
  std::uint64_t bytes = 0;
  files = 0;
  for (const auto& e : std::filesystem::directory_iterator(folder))
    if (e.path().extension() == ".csv") {
      bytes += e.file_size();
      ++files;
    }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  long replies = 100000;
  bool publishing = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-publish") == 0) publishing = false;
    else replies = std::atol(argv[i]);
  }
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("voltanderd"));
  QCoreApplication::setOrganizationName(QStringLiteral("Voltander"));
  InstallServiceLog();
  const long bareKb = StatusKb("VmRSS");

  std::unique_ptr<test::Broker> broker;
  if (publishing) {
    if (!test::HaveMosquitto()) {
      std::fprintf(stderr, "mosquitto is not installed\n");
      return 1;
    }
    broker = std::make_unique<test::Broker>();
  }
  test::TempDir dir("voltander-service-memory");
  const std::string conf = dir.file("bench.conf"), folder = dir.file("history");
  std::ofstream(conf) << "[Port]\nDevice=/dev/voltander-bench\n[Mqtt]\nEnabled="
                      << (publishing ? 1 : 0) << "\nHost=127.0.0.1\nPort="
                      << (broker ? broker->port() : 1883) << "\nPrefix=bench\n[History]\nFolder="
                      << folder << "\n";

  MosquittoPublisher mosquitto;
  WatchedPublisher publisher(mosquitto);
  std::vector<std::string> problems;
  const service::ServiceConfig settings = service::ParseServiceConfig(
      ReadConfigFile(conf), ReadEnvironment(), publisher.hostName(), problems);
  for (const std::string& p : problems) std::fprintf(stderr, "%s\n", p.c_str());
  if (!problems.empty()) return 1;

  RunClock clock;
  std::int64_t ms = 0;
  Kozos kozos;
  AnsweringPort port(ms);
  HandTimer pollTimer, retryTimer;
  NoPause pause;
  QtDesktop desktop;
  ServiceLog serviceLog;
  LinkLog linkLog;
  JournalFanout log;
  log.add(serviceLog);
  log.add(linkLog);
  QtSessionFiles sessionFiles(QString::fromStdString(settings.historyFolder));
  QtDeferred deferred;
  IniFileStore configStore(conf, false);
  IniFileStore memory(settings.historyFolder + "/voltanderd.state", true);
  service::Unattended unattended(kozos,
                                 {port, pollTimer, retryTimer, pause, serviceLog, desktop,
                                  serviceLog, log, sessionFiles, clock, deferred, configStore,
                                  memory, publisher},
                                 settings);
  unattended.start();
  if (publishing) {
    QElapsedTimer waited;
    waited.start();
    while (unattended.telemetry().state() != BrokerState::Connected && waited.elapsed() < 10000)
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    if (unattended.telemetry().state() != BrokerState::Connected) {
      std::fprintf(stderr, "no connection to the broker\n");
      return 1;
    }
  }
  QCoreApplication::processEvents();

  std::printf("| replies | VmRSS | RssAnon | RssFile | chart store kept | session files | "
              "messages published |\n|---|---|---|---|---|---|---|\n");
  const auto reading = [&](long k) {
    if (publishing && !publisher.lastStatus.empty()) {
      const std::string topic = "bench/bench/status";
      if (broker->waitRetained(topic, publisher.lastStatus, 20000) != publisher.lastStatus)
        std::fprintf(stderr, "the last status did not reach the broker\n");
    }
    QCoreApplication::processEvents();
    int files = 0;
    const std::uint64_t bytes =
        std::filesystem::exists(folder) ? FolderBytes(folder, files) : 0;
    std::printf("| %ld | %.1f MB | %.1f MB | %.1f MB | %.2f MB | %d, %.1f MB | %ld |\n", k,
                StatusKb("VmRSS") / 1024.0, StatusKb("RssAnon") / 1024.0,
                StatusKb("RssFile") / 1024.0,
                unattended.recorder().timeline().bytes() / 1048576.0, files, bytes / 1e6,
                publisher.published);
    std::fflush(stdout);
  };
  std::printf("| before the service (Qt Core process) | %.1f MB | | | | | |\n", bareKb / 1024.0);
  reading(0);
  long answered = 0;
  for (long k = 1; k <= replies; ++k) {
    clock.seconds += 2;
    // A little off the even second, so the simulator's duty moves as on the line.
    ms = (k * 2000) + (k * 137) % 1000;
    pollTimer.tick();
    answered += port.deliver();
    QCoreApplication::processEvents();
    if (k == 10000 || k % 50000 == 0 || k == replies) reading(k);
  }
  unattended.stop();
  std::fprintf(stderr, "%ld replies answered, link %s\n", answered,
               kozos.LiveLink ? "live" : "NOT LIVE");
  return kozos.LiveLink ? 0 : 1;
}

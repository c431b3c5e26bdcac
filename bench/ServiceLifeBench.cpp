// The service's start and stop as systemd sees them. voltanderd polls the simulator on
// a pseudo-terminal and publishes to a mosquitto started here on 127.0.0.1 at a free
// port, the way a unit runs it.
//   Start: from the fork to the READY=1 datagram on a NOTIFY_SOCKET made here (the
//   configuration read, the port first tried), beside a bare Qt Core program that says
//   READY=1 and nothing else. One unmeasured run of each first, for the page cache.
//   Stop: from SIGTERM to the exit, once the broker connection and the link are up
//   (their "link up" seen by a subscriber), with the broker answering, and with it
//   silent: stopped with SIGSTOP just before the SIGTERM, so whatever the publisher
//   waits for from the broker does not come.
//
//   service_life_bench [runs]   runs of each kind (default 15); prints rows of the
//                               README's Performance table, the medians
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/Broker.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

extern char** environ;

using namespace voltander::test;
using Clock = std::chrono::steady_clock;

namespace {

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// fork and exec with out as standard output and error and extra added to the
// environment; everything the child needs is built before the fork.
pid_t Spawn(std::vector<std::string> argv, const std::string& out,
            std::vector<std::string> extra = {}) {
  std::vector<char*> args, env;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  for (char** e = environ; *e; ++e) env.push_back(*e);
  for (std::string& e : extra) env.push_back(e.data());
  env.push_back(nullptr);
  const int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fd, STDOUT_FILENO);
    dup2(fd, STDERR_FILENO);
    execve(args[0], args.data(), env.data());
    _exit(127);
  }
  close(fd);
  return pid;
}

// Waits up to timeoutMs for pid to end, then kills it; its wait status, -1 if killed.
int Reap(pid_t pid, int timeoutMs) {
  pollfd p{static_cast<int>(syscall(SYS_pidfd_open, pid, 0)), POLLIN, 0};
  const bool ended = p.fd >= 0 && poll(&p, 1, timeoutMs) == 1;
  if (p.fd >= 0) close(p.fd);
  if (!ended) kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  return ended ? status : -1;
}

std::string BrokerBinary() {
  return std::filesystem::exists("/usr/sbin/mosquitto") ? "/usr/sbin/mosquitto" : "/usr/bin/mosquitto";
}

// A broker this bench can silence: test::Broker's setup, but its process is ours.
class PausableBroker {
 public:
  PausableBroker() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(s, reinterpret_cast<sockaddr*>(&a), len);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s);
    port_ = ntohs(a.sin_port);
    std::ofstream(dir_.file("mosquitto.conf"))
        << "user root\npersistence false\nlog_dest file " << dir_.file("broker.log")
        << "\nlistener " << port_ << " 127.0.0.1\nallow_anonymous true\n";
    pid_ = Spawn({BrokerBinary(), "-c", dir_.file("mosquitto.conf")}, dir_.file("stderr.log"));
    if (!WaitForFolder(dir_.path(), [&] {
          return ReadWholeFile(dir_.file("broker.log")).find(" running") != std::string::npos;
        }, 5000))
      throw std::runtime_error("mosquitto did not start");
  }
  ~PausableBroker() {
    kill(pid_, SIGCONT);
    kill(pid_, SIGTERM);
    Reap(pid_, 5000);
  }
  int port() const { return port_; }
  void pause() { kill(pid_, SIGSTOP); }
  void resume() { kill(pid_, SIGCONT); }

 private:
  TempDir dir_{"voltander-bench-broker"};
  int port_ = 0;
  pid_t pid_ = -1;
};

// Starts argv with NOTIFY_SOCKET set; the milliseconds from the fork to READY=1, or
// -1 when it does not come within 10 s.
double StartUntilReady(const std::vector<std::string>& argv, const std::string& socketPath,
                       const std::string& log, pid_t& pid) {
  unlink(socketPath.c_str());
  const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, socketPath.c_str(), sizeof a.sun_path - 1);
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
    throw std::runtime_error("cannot bind " + socketPath);
  const auto t0 = Clock::now();
  pid = Spawn(argv, log, {"NOTIFY_SOCKET=" + socketPath});
  double ms = -1;
  char datagram[512];
  for (pollfd p{fd, POLLIN, 0}; poll(&p, 1, 10000) == 1;) {
    const ssize_t n = recv(fd, datagram, sizeof datagram - 1, 0);
    if (n <= 0) continue;
    datagram[n] = 0;
    if (std::strstr(datagram, "READY=1")) {
      ms = MsSince(t0);
      break;
    }
  }
  close(fd);
  return ms;
}

// SIGTERM to the exit in milliseconds; clean when the exit status was 0.
double StopMs(pid_t pid, bool& clean) {
  const auto t0 = Clock::now();
  kill(pid, SIGTERM);
  const int status = Reap(pid, 30000);
  const double ms = MsSince(t0);
  clean = status >= 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return ms;
}

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

double Max(const std::vector<double>& v) { return v.empty() ? -1 : *std::max_element(v.begin(), v.end()); }

long VmRssKb(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string key; status >> key;)
    if (key == "VmRSS:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  if (!HaveMosquitto()) {
    std::fprintf(stderr, "mosquitto is not installed\n");
    return 1;
  }
  TempDir dir("voltander-service-life");
  SimProcess sim({"--port", "1"}, {{"XDG_CONFIG_HOME", dir.path()}});
  PausableBroker broker;
  const std::string conf = dir.file("bench.conf"), folder = dir.file("history");
  std::ofstream(conf) << "[Port]\nDevice=" << sim.device() << "\n[Mqtt]\nEnabled=1\nHost=127.0.0.1"
                      << "\nPort=" << broker.port() << "\nPrefix=bench\n[History]\nFolder="
                      << folder << "\n";
  // What the service publishes about its link and its life, as a subscriber hears it.
  const std::string heard = dir.file("heard.txt");
  const pid_t subscriber =
      Spawn({"/usr/bin/mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(broker.port()),
             "-t", "bench/bench/link", "-t", "bench/bench/availability", "-v"},
            heard);
  const std::vector<std::string> service{VOLTANDERD_BINARY, "--config", conf};
  const std::vector<std::string> bare{BARE_SERVICE_BINARY};
  const std::string socketPath = dir.file("notify.sock"), log = dir.file("service.log");

  std::vector<double> startMs, bareMs, stopUpMs, stopSilentMs;
  std::vector<double> readyKb, liveKb, bareKb;
  std::size_t unclean = 0, lost = 0, offlineMissing = 0;
  for (int run = -1; run < 2 * runs; ++run) {
    const bool measured = run >= 0, silent = run % 2 != 0;
    pid_t pid = -1;
    const double bareStart = StartUntilReady(bare, socketPath, dir.file("bare.log"), pid);
    if (measured && bareStart >= 0 && run < runs) {
      bareMs.push_back(bareStart);
      bareKb.push_back(VmRssKb(pid));
    }
    kill(pid, SIGTERM);
    Reap(pid, 5000);

    const std::size_t upsBefore = Count(ReadWholeFile(heard), "bench/bench/link up");
    const std::size_t offlineBefore = Count(ReadWholeFile(heard), "availability offline");
    const double started = StartUntilReady(service, socketPath, log, pid);
    if (started < 0) {
      std::fprintf(stderr, "voltanderd did not say READY=1:\n%s", ReadWholeFile(log).c_str());
      Reap(pid, 0);
      return 1;
    }
    if (measured) {
      startMs.push_back(started);
      readyKb.push_back(VmRssKb(pid));
    }
    // Connected and polling: the link's "up" reaches the broker only then.
    if (!WaitForFolder(dir.path(), [&] {
          return Count(ReadWholeFile(heard), "bench/bench/link up") > upsBefore;
        }, 15000)) {
      ++lost;
    }
    if (measured) liveKb.push_back(VmRssKb(pid));
    if (silent) broker.pause();
    bool clean = false;
    const double stopped = StopMs(pid, clean);
    if (silent) broker.resume();
    if (!clean) ++unclean;
    if (!measured) continue;
    (silent ? stopSilentMs : stopUpMs).push_back(stopped);
    if (!silent && !WaitForFolder(dir.path(), [&] {
          return Count(ReadWholeFile(heard), "availability offline") > offlineBefore;
        }, 5000))
      ++offlineMissing;
  }
  kill(subscriber, SIGTERM);
  Reap(subscriber, 5000);

  const auto mb = [](const std::vector<double>& kb) { return Median(kb) / 1024; };
  std::printf("| voltanderd start, fork to READY=1 on the notify socket (median of %zu) | %.1f ms "
              "| bare Qt Core program saying READY=1 %.1f ms; target under 50 ms |\n",
              startMs.size(), Median(startMs), Median(bareMs));
  std::printf("| voltanderd stop, SIGTERM to exit, broker answering (median of %zu) | %.1f ms "
              "| longest %.1f ms; exit status 0 in %zu of %zu stops%s |\n",
              stopUpMs.size(), Median(stopUpMs), Max(stopUpMs),
              stopUpMs.size() + stopSilentMs.size() + 1 - unclean,
              stopUpMs.size() + stopSilentMs.size() + 1,
              offlineMissing ? "; OFFLINE NOT SEEN AFTER SOME STOPS" : "");
  std::printf("| ... broker silent (SIGSTOP) (median of %zu) | %.1f ms | longest %.1f ms; "
              "the publisher's own bound 2 s |\n",
              stopSilentMs.size(), Median(stopSilentMs), Max(stopSilentMs));
  std::printf("| voltanderd resident memory, VmRSS at READY=1 / polling and connected (median) "
              "| %.1f / %.1f MB | bare Qt Core program %.1f MB%s |\n",
              mb(readyKb), mb(liveKb), mb(bareKb),
              lost ? "; LINK OR BROKER NOT UP IN SOME RUNS" : "");
  return unclean || lost || offlineMissing ? 1 : 0;
}

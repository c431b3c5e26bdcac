#include "support/Broker.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/SimProcess.h"

extern char** environ;

namespace voltander::test {

sockaddr_in Loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

namespace {

int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = Loopback(0);
  socklen_t len = sizeof a;
  const bool ok = bind(s, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
                  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) == 0;
  close(s);
  if (!ok) throw std::runtime_error("no free port");
  return ntohs(a.sin_port);
}

// Output of a command run through the shell; arguments are the test's own texts.
std::string Run(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, p)) out.append(buffer, n);
    pclose(p);
  }
  return out;
}

// Debian puts the broker in /usr/sbin, which a user's PATH may lack.
std::string BrokerBinary() {
  return std::filesystem::exists("/usr/sbin/mosquitto") ? "/usr/sbin/mosquitto" : "mosquitto";
}

// The client tools' options for login ("user:password") and the broker's TLS.
std::string Auth(const std::string& login, const std::string& caFile) {
  std::string auth;
  if (const auto colon = login.find(':'); colon != std::string::npos)
    auth = " -u '" + login.substr(0, colon) + "' -P '" + login.substr(colon + 1) + "'";
  if (!caFile.empty()) auth += " --cafile '" + caFile + "'";
  return auth;
}

}  // namespace

bool HaveMosquitto() {
  return Run("for c in " + BrokerBinary() +
             " mosquitto_sub mosquitto_passwd; do command -v $c; done | wc -l") == "3\n";
}

Broker::Broker(BrokerOptions options) : options_(std::move(options)), port_(FreePort()) {
  std::ofstream conf(dir_.file("mosquitto.conf"));
  // As root mosquitto would become the user "mosquitto", who cannot read this folder.
  conf << "user root\npersistence false\nlog_dest file " << dir_.file("broker.log") << "\n"
       << "log_type all\nlistener " << port_ << " 127.0.0.1\n";
  if (options_.user.empty()) {
    conf << "allow_anonymous true\n";
  } else {
    conf << "allow_anonymous false\npassword_file " << dir_.file("passwd") << "\n";
    Run("mosquitto_passwd -c -b " + dir_.file("passwd") + " '" + options_.user + "' '" +
        options_.password + "' 2>&1");
  }
  if (!options_.certFile.empty())
    conf << "certfile " << options_.certFile << "\nkeyfile " << options_.keyFile << "\n";
  conf.close();
  start();
}

void Broker::start() {
  // It logs that it runs once its listener listens; a restart appends to the same log.
  const std::string log = dir_.file("broker.log");
  const std::size_t before = ReadWholeFile(log).size();
  const std::string conf = dir_.file("mosquitto.conf");
  // Its complaint about running as root goes to its own file, not the test's output.
  const std::string command =
      "exec " + BrokerBinary() + " -c " + conf + " 2>>" + dir_.file("stderr.log");
  const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  if (posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    throw std::runtime_error("cannot start mosquitto");
  const auto running = [&] {
    return ReadWholeFile(log).find(" running", before) != std::string::npos;
  };
  if (WaitForFolder(dir_.path(), running, 5000)) return;
  stop();
  throw std::runtime_error("mosquitto did not listen on port " + std::to_string(port_));
}

void Broker::stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

bool MakeTestPki(const TempDir& dir, const std::string& san) {
  const std::string make =
      "cd " + dir.path() +
      " && openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=test-ca -keyout ca.key"
      " -out ca.crt && openssl req -newkey rsa:2048 -nodes -subj /CN=test-server -keyout"
      " server.key -out server.csr && printf 'subjectAltName=" + san + "' > san && openssl"
      " x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 2 -extfile san"
      " -out server.crt";
  return std::system(("(" + make + ") >/dev/null 2>&1").c_str()) == 0;
}

bool Broker::publish(const std::string& topic, const std::string& payload,
                     const std::string& login) const {
  return Run("mosquitto_pub -h 127.0.0.1 -p " + std::to_string(port_) +
             Auth(login, options_.caFile) + " -t '" + topic + "' -m '" + payload +
             "' -r -q 1 2>&1; echo $?") == "0\n";
}

std::map<std::string, std::string> Broker::retained(const std::string& filter,
                                                    const std::string& login) const {
  const std::string auth = Auth(login, options_.caFile);
  // Each retained message as one line: topic, a tab, the payload.
  const std::string out = Run("mosquitto_sub -h 127.0.0.1 -p " + std::to_string(port_) + auth +
                              " -t '" + filter + "' --retained-only -W 1 -F '%t\t%p' 2>/dev/null");
  std::map<std::string, std::string> messages;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);)
    if (const auto tab = line.find('\t'); tab != std::string::npos)
      messages[line.substr(0, tab)] = line.substr(tab + 1);
  return messages;
}

std::string Broker::waitRetained(const std::string& topic, const std::string& part,
                                 int timeoutMs) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string last;
  do {
    const auto seen = retained(topic);
    last = seen.count(topic) ? seen.at(topic) : "";
    if (last.find(part) != std::string::npos) return last;
  } while (std::chrono::steady_clock::now() < deadline);
  return last;
}

}  // namespace voltander::test

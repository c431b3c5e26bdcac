// A real mosquitto broker for one test, on 127.0.0.1 at a free port, with its
// configuration (and password file, and TLS files) in a private folder; and a
// subscriber's view of it through mosquitto_sub.
#pragma once

#include <netinet/in.h>
#include <sys/types.h>

#include <map>
#include <string>

#include "support/TempDir.h"

namespace voltander::test {

struct BrokerOptions {
  std::string user, password;     // no user: anonymous allowed
  std::string certFile, keyFile;  // both set: TLS only
  std::string caFile;             // for the subscriber over TLS
};

class Broker {
 public:
  // Throws std::runtime_error when mosquitto cannot be started.
  explicit Broker(BrokerOptions options = {});
  ~Broker() { stop(); }
  Broker(const Broker&) = delete;
  Broker& operator=(const Broker&) = delete;

  int port() const { return port_; }
  void stop();
  // Again at the same port, with an empty store (no persistence).
  void start();

  // Topic to payload of what a new subscriber to filter gets at once: the retained
  // messages. login is "user:password" or "".
  std::map<std::string, std::string> retained(const std::string& filter,
                                              const std::string& login = "") const;
  // A retained message published with login ("user:password" or ""); whether the
  // broker took it.
  bool publish(const std::string& topic, const std::string& payload,
               const std::string& login = "") const;
  // Polls retained(topic) until its payload holds part, up to timeoutMs; the last
  // payload seen.
  std::string waitRetained(const std::string& topic, const std::string& part, int timeoutMs) const;

 private:
  TempDir dir_{"voltander-broker"};
  BrokerOptions options_;
  int port_ = 0;
  pid_t pid_ = -1;
};

// 127.0.0.1 at port, for the stand-ins that listen or connect there.
sockaddr_in Loopback(int port);

// True when the mosquitto tools are installed (deps.sh installs them).
bool HaveMosquitto();

// A test certificate authority (ca.crt) and a server certificate (server.crt,
// server.key) for subjectAltName san ("IP:127.0.0.1"), made by openssl in dir.
bool MakeTestPki(const TempDir& dir, const std::string& san);

}  // namespace voltander::test

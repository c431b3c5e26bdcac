// Stand-ins for a broker on 127.0.0.1 at a free port, for what a real one never does:
// - Quiet listens and never answers; what a client sent waits in the kernel for
//   taken() to read;
// - Full has its queue filled, so a client's connect never completes;
// - Flood accepts the first login and then sends unsolicited messages.
#pragma once

#include <mutex>
#include <string>
#include <thread>

namespace voltander::test {

class StandInBroker {
 public:
  enum class Mode { Quiet, Full, Flood };
  // Flood sends messages of payloadBytes each, at qos, to topic "x".
  explicit StandInBroker(Mode mode, int messages = 0, int payloadBytes = 0, int qos = 2);
  ~StandInBroker();
  StandInBroker(const StandInBroker&) = delete;
  StandInBroker& operator=(const StandInBroker&) = delete;

  int port() const { return port_; }
  // Quiet: every byte the connections made so far sent, after waiting up to waitMs
  // for the first connection.
  std::string taken(int waitMs = 0);

 private:
  void flood(int messages, int payloadBytes, int qos);

  int listener_ = -1, filler_ = -1, port_ = 0;
  std::mutex mutex_;
  int client_ = -1;  // Flood's connection
  bool stopping_ = false;
  std::thread server_;
};

}  // namespace voltander::test

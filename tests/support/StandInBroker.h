// Stand-ins for a broker on 127.0.0.1 at a free port, for what a real one never does:
// - Quiet listens and never answers; what a client sent waits in the kernel for
//   taken() to read;
// - Full has its queue filled, so a client's connect never completes;
// - Flood accepts any login and then sends unsolicited QoS 2 messages.
#pragma once

#include <string>
#include <thread>

namespace voltander::test {

class StandInBroker {
 public:
  enum class Mode { Quiet, Full, Flood };
  // Flood sends messages of payloadBytes each on every connection.
  explicit StandInBroker(Mode mode, int messages = 0, int payloadBytes = 0);
  ~StandInBroker();
  StandInBroker(const StandInBroker&) = delete;
  StandInBroker& operator=(const StandInBroker&) = delete;

  int port() const { return port_; }
  // Quiet: every byte the connections made so far sent.
  std::string taken();

 private:
  void flood();
  bool sendAll(int fd, const std::string& bytes);

  int messages_, payloadBytes_;
  int listener_ = -1, filler_ = -1, stop_[2] = {-1, -1};
  int port_ = 0;
  std::thread server_;
};

}  // namespace voltander::test

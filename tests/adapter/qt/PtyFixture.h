// Real pseudo-terminals for the serial adapter tests: the test plays the device's
// far end on the master side while the program's port opens the slave through a
// Comm link, and helpers run the event loop with deadlines.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace voltander::test {

class Pty {
 public:
  Pty();  // raw mode on both sides; throws std::runtime_error when none is free
  ~Pty() { closeMaster(); }
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  int master() const { return master_; }
  const std::string& device() const { return device_; }
  void send(const std::vector<std::uint8_t>& bytes);
  // Whatever the slave side wrote, collected until quietMs pass without a byte.
  std::vector<std::uint8_t> receive(int quietMs = 100);
  // The far end goes away, as when an adapter is unplugged.
  void closeMaster();

 private:
  int master_ = -1;
  std::string device_;
};

// Comm n stands for target while the link lives.
class PortLink {
 public:
  PortLink(int n, const std::string& target);
  ~PortLink();
  PortLink(const PortLink&) = delete;
  PortLink& operator=(const PortLink&) = delete;

 private:
  std::string path_;
};

// Runs the event loop until done() holds or timeoutMs pass; returns done().
bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs = 3000);
void ProcessEventsFor(int ms);

// Processor time this process has used, user plus system.
std::chrono::microseconds CpuTimeUsed();

}  // namespace voltander::test

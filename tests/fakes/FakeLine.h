// The serial line and the timers as tests drive them: a port that can refuse to
// open, lose its device or deliver bytes in pieces, and timers that tick on demand.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>
#include "platform/SerialPort.h"
#include "platform/Timer.h"

namespace voltander::test {

class FakeSerialPort : public SerialPort {
 public:
  void setSettings(const std::string& s) override { settings = s; }
  // Comm n is the device "COM<n>"; any other path counts as number 0.
  std::string deviceForComm(int n) const override { return "COM" + std::to_string(n); }
  OpenResult open(const std::string& device) override {
    devices.push_back(device);
    const int portNumber = device.starts_with("COM") ? std::stoi(device.substr(3)) : 0;
    if (auto it = openFailures.find(portNumber); it != openFailures.end()) return it->second;
    open_ = true;
    number_ = portNumber;
    rx.clear();
    return {};
  }
  OpenResult open(int portNumber) { return open(deviceForComm(portNumber)); }
  void close() override {
    if (open_) ++closes;
    open_ = false;
  }
  bool isOpen() const override { return open_; }
  int portNumber() const { return number_; }
  bool write(std::uint8_t byte) override {
    if (!open_ || (failWritesAfter >= 0 && std::ssize(written) >= failWritesAfter)) return false;
    written.push_back(byte);
    if (onWrite) onWrite(byte);
    return true;
  }
  int read() override {
    if (rx.empty()) return -1;
    const int b = rx.front();
    rx.pop_front();
    return b;
  }
  int waiting() const override { return static_cast<int>(rx.size()); }
  void setBreak(bool on) override { breakCalls.push_back(on); }

  // Buffers the bytes and raises one receive event.
  void deliver(const std::vector<std::uint8_t>& bytes) {
    rx.insert(rx.end(), bytes.begin(), bytes.end());
    if (onComm) onComm(CommEvent::Receive);
  }
  // The device disappears: the port closes and DeviceLost is raised.
  void loseDevice() {
    if (!open_) return;
    close();
    rx.clear();
    if (onComm) onComm(CommEvent::DeviceLost);
  }

  std::map<int, OpenResult> openFailures;  // port -> the failure it gives
  int failWritesAfter = -1;                // writes fail once this many bytes went out; -1 never

  std::string settings;
  std::deque<std::uint8_t> rx;
  std::vector<std::uint8_t> written;  // every byte that left, in order
  std::vector<std::string> devices;   // every path an opening was tried with
  int closes = 0;
  std::vector<bool> breakCalls;
  std::function<void(std::uint8_t)> onWrite;  // after each successful write

 private:
  bool open_ = false;
  int number_ = 0;
};

class FakeTimer : public Timer {
 public:
  void setInterval(int ms) override { interval_ = ms; }
  int interval() const override { return interval_; }
  void setEnabled(bool on) override {
    enabled_ = on;
    ++enableChanges;
  }
  bool enabled() const override { return enabled_; }
  // Fires one tick when enabled; returns whether it fired.
  bool tick() {
    if (!enabled_ || !onTick) return false;
    onTick();
    return true;
  }

  int enableChanges = 0;

 private:
  int interval_ = 0;
  bool enabled_ = false;
};

}  // namespace voltander::test

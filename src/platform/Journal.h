// What passes on the line and what the user sends to the controller, told to whoever
// keeps a record of it: the support log and the charge history. Every method has an
// empty default, so a listener overrides only what it keeps; telling never changes
// what the link does.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SerialPort.h"

namespace voltander {

using LineFrame = std::array<std::uint8_t, 10>;

// One valid status reply, as the controller reported it.
struct StatusRecord {
  std::uint8_t state = 0;  // 0-4 the five states, 5 the calibration loop
  std::uint8_t duty = 0;   // the controller's byte, 0-255
  bool charging = false;
  bool fault = false;            // duty 254 or more
  bool calibrationLoop = false;  // state 5
  float ratio = 0.0f;            // the divider ratio in force after the reply
};

class Journal {
 public:
  virtual ~Journal() = default;

  // The line.
  virtual void frameSent(const LineFrame&) {}
  virtual void frameReceived(const LineFrame&) {}
  // Bytes that formed no frame and were thrown away.
  virtual void strayBytes(int /*count*/) {}
  virtual void portOpened(const PortTarget&, const OpenResult&) {}
  // A line condition the port raised, with what it saw (the counts that moved).
  virtual void lineEvent(CommEvent, const std::string& /*detail*/) {}
  // A valid reply after the window shows it (firmware text, list selections).
  virtual void replyApplied(const LineFrame&) {}

  // The controller.
  virtual void status(const StatusRecord&) {}
  // The first link after start-up or a port choice; then the link going from
  // answering to silent (or a bad frame), and back.
  virtual void linkUp() {}
  virtual void linkLost() {}
  virtual void linkRestored() {}
  // Payload of an "I" frame that left, in wire order.
  virtual void parameterUpload(const std::array<std::uint8_t, 7>& /*codes*/) {}
  virtual void calibrationUpload(std::uint16_t /*n*/) {}

  // Parameter files, by their bare name.
  virtual void parameterFileOpened(const std::string& /*name*/) {}
  virtual void parameterFileSaved(const std::string& /*name*/) {}
};

// Tells every listener in turn; the program's one Journal when it keeps several.
class JournalFanout : public Journal {
 public:
  void add(Journal& listener) { listeners_.push_back(&listener); }

  void frameSent(const LineFrame& f) override {
    each([&](Journal& j) { j.frameSent(f); });
  }
  void frameReceived(const LineFrame& f) override {
    each([&](Journal& j) { j.frameReceived(f); });
  }
  void replyApplied(const LineFrame& f) override {
    each([&](Journal& j) { j.replyApplied(f); });
  }
  void strayBytes(int n) override {
    each([&](Journal& j) { j.strayBytes(n); });
  }
  void portOpened(const PortTarget& port, const OpenResult& r) override {
    each([&](Journal& j) { j.portOpened(port, r); });
  }
  void lineEvent(CommEvent e, const std::string& detail) override {
    each([&](Journal& j) { j.lineEvent(e, detail); });
  }
  void status(const StatusRecord& s) override {
    each([&](Journal& j) { j.status(s); });
  }
  void linkUp() override {
    each([](Journal& j) { j.linkUp(); });
  }
  void linkLost() override {
    each([](Journal& j) { j.linkLost(); });
  }
  void linkRestored() override {
    each([](Journal& j) { j.linkRestored(); });
  }
  void parameterUpload(const std::array<std::uint8_t, 7>& c) override {
    each([&](Journal& j) { j.parameterUpload(c); });
  }
  void calibrationUpload(std::uint16_t n) override {
    each([&](Journal& j) { j.calibrationUpload(n); });
  }
  void parameterFileOpened(const std::string& name) override {
    each([&](Journal& j) { j.parameterFileOpened(name); });
  }
  void parameterFileSaved(const std::string& name) override {
    each([&](Journal& j) { j.parameterFileSaved(name); });
  }

 private:
  template <typename F>
  void each(F&& tell) {
    for (Journal* j : listeners_) tell(*j);
  }
  std::vector<Journal*> listeners_;
};

}  // namespace voltander

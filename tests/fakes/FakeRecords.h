// What the program records, kept in memory: the journal of the line, the session
// files of the history, and a clock that steps two seconds at every reading.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>
#include "platform/Clock.h"
#include "platform/Journal.h"
#include "platform/SessionFiles.h"

namespace voltander::test {

// Everything told, one short line each: "sent R", "open 1:8002", "status 2/200",
// "lost", "upload 178 159 ...", "saved a.vlt".
class FakeJournal : public Journal {
 public:
  void frameSent(const LineFrame& f) override { add("sent " + std::string(1, char(f[1]))); }
  void frameReceived(const LineFrame& f) override { add("got " + std::string(1, char(f[1]))); }
  void strayBytes(int n) override { add("stray " + std::to_string(n)); }
  void portOpened(const PortTarget& port, const OpenResult& r) override {
    add("open " + std::to_string(port.comm) + ":" + std::to_string(r.code));
  }
  void lineEvent(CommEvent e, const std::string& detail) override {
    add("line " + std::to_string(static_cast<int>(e)) + " " + detail);
  }
  void status(const StatusRecord& s) override {
    add("status " + std::to_string(s.state) + "/" + std::to_string(s.duty) +
        (s.charging ? " charging" : "") + (s.fault ? " fault" : "") +
        (s.calibrationLoop ? " loop" : "") + " " + std::to_string(s.ratio).substr(0, 5));
  }
  void linkUp() override { add("up"); }
  void linkLost() override { add("lost"); }
  void linkRestored() override { add("restored"); }
  void parameterUpload(const std::array<std::uint8_t, 7>& codes) override {
    std::string s = "upload";
    for (const std::uint8_t c : codes) s += " " + std::to_string(c);
    add(s);
  }
  void calibrationUpload(std::uint16_t n) override { add("calibration " + std::to_string(n)); }
  void parameterFileOpened(const std::string& name) override { add("opened " + name); }
  void parameterFileSaved(const std::string& name) override { add("saved " + name); }

  // The events other than frames sent, which polling makes many of.
  std::vector<std::string> events;
  std::vector<std::string> all;

 private:
  void add(const std::string& e) {
    all.push_back(e);
    if (!e.starts_with("sent")) events.push_back(e);
  }
};

// Session files in memory; appends can be made to fail after a number of lines.
// `locked` are files another program is writing: they are never removed.
class FakeSessionFiles : public SessionFiles {
 public:
  Start start(const std::string& name) override {
    if (failStart) return Start::Failed;
    if (!files.try_emplace(name).second) return Start::Taken;
    current = name;
    return Start::Created;
  }
  bool append(const std::string& line) override {
    const auto it = files.find(current);
    if (it == files.end() || appendsLeft-- == 0) return false;
    it->second += line + '\n';
    return true;
  }
  void close() override { current.clear(); }
  std::vector<SessionFileInfo> list() override {
    std::vector<SessionFileInfo> out;
    for (const auto& [name, text] : files) out.push_back({name, text.size()});
    return out;
  }
  bool remove(const std::string& name) override {
    return !locked.contains(name) && files.erase(name) == 1;
  }
  std::string read(const std::string& name, std::uint64_t offset, std::uint64_t length) override {
    const auto it = files.find(name);
    return it == files.end() || offset > it->second.size() ? "" : it->second.substr(offset, length);
  }

  std::map<std::string, std::string> files;
  std::set<std::string> locked;
  std::string current;
  bool failStart = false;
  int appendsLeft = -1;
};

// Two seconds later at every reading, from 2026-03-01 08:00:00 +01:00, through the
// days of March.
class StepClock : public Clock {
 public:
  LocalTime now() override {
    const int s = 8 * 3600 + ticks;
    ticks += 2;
    return {2026, 3, 1 + s / 86400, s / 3600 % 24, s / 60 % 60, s % 60, 0, 60};
  }
  int ticks = 0;
};

}  // namespace voltander::test

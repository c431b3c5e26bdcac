// In-memory stand-ins for the platform, scriptable from tests: a serial port that
// can refuse to open, lose its device or deliver bytes in pieces; a timer that ticks
// on demand; dialogs that answer from a script and remember what they showed.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Folap.h"
#include "common/Kozos.h"
#include "platform/Platform.h"
#include "platform/Publisher.h"

namespace voltander::test {

class FakeSerialPort : public SerialPort {
 public:
  void setSettings(const std::string& s) override { settings = s; }
  OpenResult open(int portNumber) override {
    ++openAttempts;
    if (auto it = openFailures.find(portNumber); it != openFailures.end()) return it->second;
    open_ = true;
    number_ = portNumber;
    rx.clear();
    opened.push_back(portNumber);
    return {};
  }
  void close() override {
    if (open_) ++closes;
    open_ = false;
  }
  bool isOpen() const override { return open_; }
  int portNumber() const override { return number_; }
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
  std::vector<int> opened;            // port numbers, one per successful open
  int openAttempts = 0;
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

// Values under "app/section/key".
class FakeSettings : public SettingsStore {
 public:
  std::string get(const std::string& app, const std::string& section, const std::string& key,
                  const std::string& fallback) override {
    auto it = values.find(app + "/" + section + "/" + key);
    return it == values.end() ? fallback : it->second;
  }
  void save(const std::string& app, const std::string& section, const std::string& key,
            const std::string& value) override {
    if (onSave) onSave(key);
    values[app + "/" + section + "/" + key] = value;
    savedKeys.push_back(key);
  }

  std::map<std::string, std::string> values;
  std::vector<std::string> savedKeys;                  // in order of writing
  std::function<void(const std::string& key)> onSave;  // before every save
};

struct ShownMessage {
  std::string text;
  Buttons buttons;
  Icon icon;
  std::string title;
};

template <typename T>
T Take(std::deque<T>& queue) {
  T first = queue.front();
  queue.pop_front();
  return first;
}

class FakeDialogs : public Dialogs {
 public:
  Answer message(const std::string& text, Buttons buttons, Icon icon,
                 const std::string& title) override {
    shown.push_back({text, buttons, icon, title});
    if (whileShown) whileShown(shown.back());
    return answers.empty() ? (buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok) : Take(answers);
  }
  std::string input(const std::string&, const std::string&,
                    const std::string& defaultText) override {
    ++asked;
    return inputs.empty() ? defaultText : Take(inputs);
  }
  FileChoice openFile(const std::string&, const std::string&) override {
    return files.empty() ? FileChoice{} : Take(files);
  }
  FileChoice saveFile(const std::string& f, const std::string& p) override {
    return openFile(f, p);
  }
  void showCalibration(Oszto& form) override;

  // Scripted replies, taken in order; when used up: Ok (Yes for Yes/No boxes), the
  // default text, a cancelled file dialog.
  std::deque<Answer> answers;
  std::deque<std::string> inputs;
  std::deque<FileChoice> files;
  // Runs inside the calibration window after its opening; the window closes after.
  std::function<void(Oszto&)> calibrationScript;
  // Runs while a message box is up (e.g. to let a tick happen behind it).
  std::function<void(const ShownMessage&)> whileShown;

  std::vector<ShownMessage> shown;
  std::vector<std::string> texts() const {
    std::vector<std::string> t;
    for (const ShownMessage& m : shown) t.push_back(m.text);
    return t;
  }
  int asked = 0;  // input boxes shown
};

class FakeFileStore : public FileStore {
 public:
  std::string lookup(const std::string& path) override {
    return files.contains(path) ? path.substr(path.find_last_of('/') + 1) : "";
  }
  int read(const std::string& path, std::string& out, std::size_t maxBytes) override {
    if (failReadWith) return failReadWith;
    if (!files.contains(path)) return kPathNotFound;
    out = files[path].substr(0, maxBytes);
    return kFileOk;
  }
  int replace(const std::string& path, const std::string& bytes) override {
    if (failReplaceWith) return failReplaceWith;
    files[path] = bytes;
    return kFileOk;
  }

  std::map<std::string, std::string> files;  // full path -> content
  int failReadWith = 0;
  int failReplaceWith = 0;
};

class FakePause : public Pause {
 public:
  void sleepMs(int ms) override {
    pauses.push_back(ms);
    if (onPause) onPause(ms);
  }
  std::vector<int> pauses;
  std::function<void(int)> onPause;
};

class FakeBeep : public Beep {
 public:
  void beep() override { ++count; }
  int count = 0;
};

class FakeDesktop : public Desktop {
 public:
  std::string decimalSeparator() const override { return separator; }
  void processEvents() override {}
  std::string separator = ".";
};

// Devices, links and probe outcomes as a test scripts them.
class FakePortSearch : public PortSearch {
 public:
  std::vector<SerialDeviceInfo> systemDevices() override { return devices; }
  std::vector<RegisteredLink> registeredLinks() override { return links; }
  ProbeRun probe(const std::vector<std::string>& paths) override {
    probed = paths;
    portOpenDuringProbe = onProbe ? onProbe() : false;
    return run;
  }
  bool registerLink(int number, const std::string& device) override {
    registered.emplace_back(number, device);
    return registerOk;
  }
  int choose(const std::string&, const std::vector<std::string>& items) override {
    offered = items;
    return pick;
  }

  std::vector<SerialDeviceInfo> devices;
  std::vector<RegisteredLink> links;
  ProbeRun run;
  bool registerOk = true;
  int pick = 0;
  std::function<bool()> onProbe;

  std::vector<std::string> probed, offered;
  std::vector<std::pair<int, std::string>> registered;
  bool portOpenDuringProbe = true;
};

// Everything told, one short line each: "sent R", "open 1:8002", "status 2/200",
// "lost", "upload 178 159 ...", "saved a.vlt".
class FakeJournal : public Journal {
 public:
  void frameSent(const LineFrame& f) override { add("sent " + std::string(1, char(f[1]))); }
  void frameReceived(const LineFrame& f) override { add("got " + std::string(1, char(f[1]))); }
  void strayBytes(int n) override { add("stray " + std::to_string(n)); }
  void portOpened(int port, const OpenResult& r) override {
    add("open " + std::to_string(port) + ":" + std::to_string(r.code));
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
class FakeSessionFiles : public SessionFiles {
 public:
  Start start(const std::string& name) override {
    if (failStart) return Start::Failed;
    if (!files.try_emplace(name).second) return Start::Taken;
    current = name;
    return Start::Created;
  }
  bool append(const std::string& line) override {
    if (appendsLeft-- == 0) return false;
    files[current] += line + '\n';
    return true;
  }
  std::vector<SessionFileInfo> list() override {
    std::vector<SessionFileInfo> out;
    for (const auto& [name, text] : files) out.push_back({name, text.size()});
    return out;
  }
  bool remove(const std::string& name) override { return files.erase(name) == 1; }
  std::string read(const std::string& name, std::uint64_t offset, std::uint64_t length) override {
    const auto it = files.find(name);
    return it == files.end() || offset > it->second.size() ? "" : it->second.substr(offset, length);
  }

  std::map<std::string, std::string> files;
  std::string current;
  bool failStart = false;
  int appendsLeft = -1;
};

// Keeps what is published, in order; the broker's answers are told by the test.
class FakePublisher : public Publisher {
 public:
  void start(const BrokerSettings& s, const Message& w) override {
    starts.push_back(s);
    will = w;
  }
  void stop() override { ++stops; }
  void publish(const Message& m) override { published.push_back(m); }
  std::string hostName() override { return "pc1"; }
  void tell(BrokerState s) { onState(s); }

  std::vector<BrokerSettings> starts;
  Message will;
  int stops = 0;
  std::vector<Message> published;
};

// Jobs held until the test runs them, as the event loop would after the handler.
class FakeDeferred : public Deferred {
 public:
  void post(std::function<void()> job) override { jobs.push_back(std::move(job)); }
  void run() {
    while (!jobs.empty()) Take(jobs)();
  }
  std::deque<std::function<void()>> jobs;
};

// Two seconds later at every reading, from 2026-03-01 08:00:00 +01:00.
class StepClock : public Clock {
 public:
  LocalTime now() override {
    LocalTime t{2026, 3, 1, 8, 0, 0, 0, 60};
    t.second = ticks % 60;
    t.minute = ticks / 60;
    ticks += 2;
    return t;
  }
  int ticks = 0;
};

// A fresh shared state, a full set of fakes and a main-window form over them.
struct Harness {
  Harness();
  FakeSerialPort port;
  FakeTimer timer;
  FakeSettings settings;
  FakeDialogs dialogs;
  FakeFileStore files;
  FakePause pause;
  FakeBeep beep;
  FakeDesktop desktop;
  FakeJournal journal;
  FakePortSearch portSearch;
  FakeSessionFiles sessionFiles;
  StepClock clock;
  FakeTimer retryTimer;
  FakeDeferred deferred;
  Kozos kozos;
  Platform platform;
  std::unique_ptr<Folap> form;

  // Seeds "Portok" with index and runs the start-up.
  void loadWithPort(int index);
  // A ten-byte frame from the controller, delivered in one piece.
  void reply(std::uint8_t letter, std::vector<std::uint8_t> payload);
  std::string setting(const std::string& key) const;
};

}  // namespace voltander::test

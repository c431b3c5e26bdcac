#include "history/Recorder.h"

#include <string_view>

#include "history/HistoryCsv.h"

namespace voltander::history {

namespace {

// A long session grows its file; the folder is looked at again after this many lines.
constexpr int kLinesBetweenTrims = 1000;

constexpr const char* kWriteFailed =
    "A napló nem írható (megtelt a lemez, vagy a mappa nem írható).\r\n"
    "A napló mentése kikapcsolt; a Napló menüben újra bekapcsolható.";

Entry Event(EntryKind kind, std::string detail = {}) {
  Entry e;
  e.kind = kind;
  e.detail = std::move(detail);
  return e;
}

}  // namespace

// Sessions started within one second: the second one gets "-2", and so on.
constexpr int kSerialsPerSecond = 100;

Recorder::Recorder(SessionFiles& files, Clock& clock, Dialogs& dialogs, Deferred& deferred,
                   MenuItem& saving, std::uint64_t folderCap)
    : files_(files),
      clock_(clock),
      dialogs_(dialogs),
      deferred_(deferred),
      saving_(saving),
      cap_(folderCap) {}

void Recorder::status(const StatusRecord& s) {
  Entry e;
  e.state = s.state;
  e.duty = s.duty;
  e.charging = s.charging;
  e.fault = s.fault;
  e.calibrationLoop = s.calibrationLoop;
  e.ratio = s.ratio;
  record(std::move(e));
}

void Recorder::linkUp() { record(Event(EntryKind::LinkUp)); }
void Recorder::linkLost() { record(Event(EntryKind::LinkLost)); }
void Recorder::linkRestored() { record(Event(EntryKind::LinkRestored)); }

void Recorder::parameterUpload(const std::array<std::uint8_t, 7>& codes) {
  std::string detail;
  for (std::uint8_t c : codes) detail += (detail.empty() ? "" : " ") + std::to_string(c);
  record(Event(EntryKind::ParameterUpload, detail));
}

void Recorder::calibrationUpload(std::uint16_t n) {
  record(Event(EntryKind::CalibrationUpload, std::to_string(n)));
}

void Recorder::parameterFileOpened(const std::string& name) {
  record(Event(EntryKind::FileOpened, name));
}

void Recorder::parameterFileSaved(const std::string& name) {
  record(Event(EntryKind::FileSaved, name));
}

void Recorder::record(Entry e) {
  const LocalTime now = clock_.now();
  e.seconds = EpochSeconds(now);
  e.offsetMinutes = static_cast<std::int16_t>(now.offsetMinutes);
  std::uint64_t offset = Timeline::kNoOffset;
  if (saving_.checked()) {
    if (session_.empty() && !startSession(now)) {
      fail();
    } else {
      const std::string line = CsvLine(e);
      if (!files_.append(line)) {
        fail();
      } else {
        offset = written_;
        written_ += line.size() + 1;
        timeline_.setFileEnd(written_);
        if (++linesSinceTrim_ >= kLinesBetweenTrims) trimFolder();
      }
    }
  } else {
    // Switched off: the next switching on starts a session of its own.
    session_.clear();
  }
  timeline_.add(e, offset);
  summary_.add(e);
  if (onEntry) onEntry(e);
}

bool Recorder::startSession(const LocalTime& now) {
  for (int serial = 1; serial <= kSerialsPerSecond; ++serial) {
    const std::string name = SessionFileName(now, serial);
    const SessionFiles::Start started = files_.start(name);
    if (started == SessionFiles::Start::Taken) continue;
    if (started == SessionFiles::Start::Failed || !files_.append(kCsvHeader)) return false;
    session_ = name;
    written_ = std::string_view(kCsvHeader).size() + 1;
    timeline_.readFrom([this, name](std::uint64_t offset, std::uint64_t length) {
      return files_.read(name, offset, length);
    });
    trimFolder();
    return true;
  }
  return false;
}

void Recorder::trimFolder() {
  linesSinceTrim_ = 0;
  for (const std::string& name : SessionsToDelete(files_.list(), cap_, session_))
    files_.remove(name);
}

void Recorder::fail() {
  // Off at once, so the next reply neither writes nor asks again; the box waits
  // until the reply being handled is over.
  session_.clear();
  saving_.setChecked(false);
  deferred_.post([&dialogs = dialogs_] {
    dialogs.message(kWriteFailed, Buttons::Ok, Icon::Critical);
  });
}

}  // namespace voltander::history

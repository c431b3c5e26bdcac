#include "history/Recorder.h"

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

Recorder::Recorder(SessionFiles& files, Clock& clock, Dialogs& dialogs, MenuItem& saving,
                   std::uint64_t folderCap)
    : files_(files), clock_(clock), dialogs_(dialogs), saving_(saving), cap_(folderCap) {}

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
  entries_.push_back(std::move(e));
  if (saving_.checked()) {
    if (session_.empty()) {
      session_ = SessionFileName(now);
      if (!files_.start(session_) || !files_.append(kCsvHeader)) return fail();
      trimFolder();
    }
    if (!files_.append(CsvLine(entries_.back()))) return fail();
    if (++linesSinceTrim_ >= kLinesBetweenTrims) trimFolder();
  } else {
    // Switched off: the next switching on starts a session of its own.
    session_.clear();
  }
  if (onEntry) onEntry(entries_.back());
}

void Recorder::trimFolder() {
  linesSinceTrim_ = 0;
  for (const std::string& name : SessionsToDelete(files_.list(), cap_, session_))
    files_.remove(name);
}

void Recorder::fail() {
  // Off before the box: the box keeps the event loop running and the next status
  // reply must neither write nor ask again.
  session_.clear();
  saving_.setChecked(false);
  dialogs_.message(kWriteFailed, Buttons::Ok, Icon::Critical);
  if (onEntry) onEntry(entries_.back());
}

}  // namespace voltander::history

#include "history/Recorder.h"

#include <algorithm>
#include <string_view>

#include "history/HistoryCsv.h"
#include "history/SessionNames.h"

namespace voltander::history {

namespace {

// A long session grows its file; the folder is looked at again after this many lines.
constexpr int kLinesBetweenTrims = 1000;

constexpr const char* kWriteFailed =
    "A napló nem írható (megtelt a lemez, vagy a mappa nem írható).\r\n"
    "A napló mentése kikapcsolt; a Napló menüben újra bekapcsolható.";
constexpr const char* kWriteRetried =
    "A napló nem írható (megtelt a lemez, vagy a mappa nem írható).\r\n"
    "A mentés 10 percenként újra próbálkozik.";

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
                   MenuItem& saving, std::uint64_t folderCap, WriteFailure onFailure,
                   bool chart)
    : files_(files),
      clock_(clock),
      dialogs_(dialogs),
      deferred_(deferred),
      saving_(saving),
      cap_(folderCap),
      onFailure_(onFailure),
      chart_(chart),
      stream_(files) {}

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
  const std::uint64_t offset = save(e, now);
  if (chart_) timeline_.add(e, offset);
  summary_.add(e);
  if (onEntry) onEntry(e);
}

std::uint64_t Recorder::save(const Entry& e, const LocalTime& now) {
  if (!saving_.checked()) {
    // Switched off: the next switching on starts a session of its own.
    if (!file_.empty()) files_.close();
    session_.clear();
    file_.clear();
    return Timeline::kNoOffset;
  }
  if (e.seconds < retryAt_) return Timeline::kNoOffset;
  // A new part at local midnight, so that no file outgrows a day and the cap can
  // delete a long session's old days.
  const bool newDay = day_ != std::array<int, 3>{now.year, now.month, now.day};
  if ((file_.empty() || newDay) && !startPart(now, e.seconds)) return fail(e.seconds);
  const std::string line = CsvLine(e);
  if (!files_.append(line)) return fail(e.seconds);
  told_ = false;
  const std::uint64_t offset = written_;
  written_ += line.size() + 1;
  timeline_.setFileEnd(written_);
  if (++linesSinceTrim_ >= kLinesBetweenTrims) trimFolder();
  return offset;
}

bool Recorder::startPart(const LocalTime& now, double seconds) {
  const bool fresh = session_.empty();
  long number = fresh ? 1 : part_ + 1;
  // A name that is somehow taken already is passed over.
  for (int serial = 1; serial <= kSerialsPerSecond; ++serial, number += fresh ? 0 : 1) {
    const std::string name = fresh ? SessionFileName(now, serial) : PartFileName(session_, number);
    const SessionFiles::Start started = open(name, fresh, now, seconds);
    if (started == SessionFiles::Start::Failed) return false;
    if (started == SessionFiles::Start::Created) {
      if (fresh) session_ = name;
      part_ = number;
      return true;
    }
  }
  return false;
}

SessionFiles::Start Recorder::open(const std::string& name, bool fresh, const LocalTime& now,
                                   double seconds) {
  const SessionFiles::Start started = files_.start(name);
  if (started != SessionFiles::Start::Created) return started;
  if (!files_.append(kCsvHeader)) {
    // Nothing of it is kept: a part without its header would be no CSV file.
    files_.close();
    files_.remove(name);
    return SessionFiles::Start::Failed;
  }
  if (fresh) {
    stream_.parts().clear();
    written_ = 0;
    timeline_.readFrom([this](std::uint64_t offset, std::uint64_t length) {
      return stream_.read(offset, length);
    });
  }
  file_ = name;
  day_ = {now.year, now.month, now.day};
  stream_.parts().push_back({name, written_, seconds});
  written_ += std::string_view(kCsvHeader).size() + 1;
  timeline_.setFileEnd(written_);
  trimFolder();
  return SessionFiles::Start::Created;
}

void Recorder::trimFolder() {
  linesSinceTrim_ = 0;
  std::vector<SessionFileInfo> files = files_.list();
  for (bool again = true; again;) {
    again = false;
    for (const std::string& name : SessionsToDelete(files, cap_, file_)) {
      const auto it = std::find_if(files.begin(), files.end(),
                                   [&](const SessionFileInfo& f) { return f.name == name; });
      if (files_.remove(name)) {
        files.erase(it);
      } else {
        // Being written by another program (or refused otherwise): it stays and
        // counts, and the next oldest goes in its place.
        it->live = true;
        again = true;
        break;
      }
    }
  }
  forgetGoneParts(files);
}

void Recorder::forgetGoneParts(const std::vector<SessionFileInfo>& left) {
  const auto listed = [&](const std::string& name) {
    return std::any_of(left.begin(), left.end(),
                       [&](const SessionFileInfo& f) { return f.name == name; });
  };
  // A listing without the part being written tells nothing.
  if (file_.empty() || !listed(file_)) return;
  std::vector<PartedStream::Part>& parts = stream_.parts();
  // Older parts no longer there, deleted here or by another program: their hours
  // cannot be read back, and the chart says so.
  for (std::size_t k = 0; k + 1 < parts.size();) {
    if (listed(parts[k].name)) {
      ++k;
      continue;
    }
    timeline_.addGap(parts[k].first, parts[k + 1].first);
    parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(k));
  }
}

std::uint64_t Recorder::fail(double seconds) {
  files_.close();
  file_.clear();
  const char* text = kWriteFailed;
  if (onFailure_ == WriteFailure::RetryLater) {
    retryAt_ = seconds + kRetrySeconds;
    if (told_) return Timeline::kNoOffset;
    told_ = true;
    text = kWriteRetried;
  } else {
    // Off at once, so the next reply neither writes nor asks again.
    session_.clear();
    saving_.setChecked(false);
  }
  // The message waits until the reply being handled is over.
  deferred_.post(
      [&dialogs = dialogs_, text] { dialogs.message(text, Buttons::Ok, Icon::Critical); });
  return Timeline::kNoOffset;
}

}  // namespace voltander::history

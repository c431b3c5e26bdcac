// Keeps the charge history: every status reply and every event the link reports,
// in bounded memory for the chart of this run (whatever its length) and, while
// "Napló mentése" is checked, line by line in a session file of its own, one part
// per local day. It only listens; nothing it does reaches the link, and a file that
// cannot be written costs a message, shown after the reply, never the link.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "controls/Controls.h"
#include "history/CapPlan.h"
#include "history/HistoryEntry.h"
#include "history/PartedStream.h"
#include "history/SessionSummary.h"
#include "history/Timeline.h"
#include "platform/Clock.h"
#include "platform/Deferred.h"
#include "platform/Dialogs.h"
#include "platform/Journal.h"
#include "platform/SessionFiles.h"

namespace voltander::history {

// What a file that cannot be written (a full or read-only disk) does to the saving.
enum class WriteFailure {
  // The window: the saving is switched off, and a box says so; the user switches it
  // on again.
  SwitchOff,
  // A service, with nobody to switch it on: the saving stays on, the message is told
  // once (again only after a line was written since), nothing is written for
  // kRetrySeconds of the clock, and then a new part is tried.
  RetryLater,
};
inline constexpr double kRetrySeconds = 600;

class Recorder : public Journal {
 public:
  // saving is the menu item whose check mark switches the files on and off.
  // Without a chart (a service: nothing draws) the replies go to the files and the
  // summary only, and the chart's store stays empty.
  Recorder(SessionFiles& files, Clock& clock, Dialogs& dialogs, Deferred& deferred,
           MenuItem& saving, std::uint64_t folderCap = kSessionFolderCap,
           WriteFailure onFailure = WriteFailure::SwitchOff, bool chart = true);

  void status(const StatusRecord& s) override;
  void linkUp() override;
  void linkLost() override;
  void linkRestored() override;
  void parameterUpload(const std::array<std::uint8_t, 7>& codes) override;
  void calibrationUpload(std::uint16_t n) override;
  void parameterFileOpened(const std::string& name) override;
  void parameterFileSaved(const std::string& name) override;

  // This run, for the chart, and its figures.
  const Timeline& timeline() const { return timeline_; }
  const SessionSummary& summary() const { return summary_; }
  // The file being written (the session's current part), "" when none.
  const std::string& sessionName() const { return file_; }
  // Told after each new entry (the chart following the run).
  std::function<void(const Entry&)> onEntry;

 private:
  void record(Entry e);
  std::uint64_t save(const Entry& e, const LocalTime& now);
  bool startPart(const LocalTime& now, double seconds);
  SessionFiles::Start open(const std::string& name, bool fresh, const LocalTime& now,
                           double seconds);
  void trimFolder();
  void forgetGoneParts(const std::vector<SessionFileInfo>& left);
  std::uint64_t fail(double seconds);

  SessionFiles& files_;
  Clock& clock_;
  Dialogs& dialogs_;
  Deferred& deferred_;
  MenuItem& saving_;
  std::uint64_t cap_;
  WriteFailure onFailure_;
  bool chart_;
  Timeline timeline_;
  SessionSummary summary_;
  PartedStream stream_;        // the session's parts, read back as one
  std::string session_;        // its first part's name, "" when none
  std::string file_;           // the part being written, "" when none
  long part_ = 0;              // that part's number
  std::array<int, 3> day_{};   // the local day it holds
  std::uint64_t written_ = 0;  // bytes in the session's parts
  int linesSinceTrim_ = 0;
  double retryAt_ = 0;  // RetryLater: no write before this time
  bool told_ = false;   // RetryLater: the failure has been told
};

}  // namespace voltander::history

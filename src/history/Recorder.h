// Keeps the charge history: every status reply and every event the link reports,
// in bounded memory for the chart of this run (whatever its length) and, while
// "Napló mentése" is checked, line by line in a session file of its own. It only
// listens; nothing it does reaches the link, and a file that cannot be written
// costs one message, shown after the reply, and the saving, never the link.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "controls/Controls.h"
#include "history/CapPlan.h"
#include "history/HistoryEntry.h"
#include "history/SessionSummary.h"
#include "history/Timeline.h"
#include "platform/Clock.h"
#include "platform/Deferred.h"
#include "platform/Dialogs.h"
#include "platform/Journal.h"
#include "platform/SessionFiles.h"

namespace voltander::history {

class Recorder : public Journal {
 public:
  // saving is the menu item whose check mark switches the files on and off.
  Recorder(SessionFiles& files, Clock& clock, Dialogs& dialogs, Deferred& deferred,
           MenuItem& saving, std::uint64_t folderCap = kSessionFolderCap);

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
  // The file being written, "" when none.
  const std::string& sessionName() const { return session_; }
  // Told after each new entry (the chart following the run).
  std::function<void(const Entry&)> onEntry;

 private:
  void record(Entry e);
  bool startSession(const LocalTime& now);
  void trimFolder();
  void fail();

  SessionFiles& files_;
  Clock& clock_;
  Dialogs& dialogs_;
  Deferred& deferred_;
  MenuItem& saving_;
  std::uint64_t cap_;
  Timeline timeline_;
  SessionSummary summary_;
  std::string session_;
  std::uint64_t written_ = 0;  // bytes in the session file
  int linesSinceTrim_ = 0;
};

}  // namespace voltander::history

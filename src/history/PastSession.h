// A past session opened for the chart: every part of it still in its folder, read
// piece by piece in order as one run, with a gap where parts are missing (deleted
// to keep the folder under its cap). A file not named as a session's is read alone.
#pragma once

#include <string>

#include "history/PartedStream.h"
#include "history/SessionSummary.h"
#include "history/Timeline.h"
#include "platform/SessionFiles.h"

namespace voltander::history {

class PastSession {
 public:
  explicit PastSession(SessionFiles& folder) : folder_(folder), stream_(folder) {}
  PastSession(const PastSession&) = delete;
  PastSession& operator=(const PastSession&) = delete;

  // Reads the session that the file `name` belongs to.
  void read(const std::string& name);
  const Timeline& timeline() const { return timeline_; }
  const SessionSummary& summary() const { return summary_; }

 private:
  SessionFiles& folder_;
  PartedStream stream_;
  Timeline timeline_;
  SessionSummary summary_;
};

}  // namespace voltander::history

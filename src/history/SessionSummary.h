// What a session amounts to, in the figures a user compares month to month: the
// time in each state, with the fault light and in the calibration loop, the link
// losses and uploads, and its first and last time. Kept as the entries arrive, so
// it costs the same on day 90 as on day 1.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "history/HistoryEntry.h"

namespace voltander::history {

// The main window's captions of the five states.
inline constexpr std::array<const char*, 5> kStateCaptions = {
    "Nincs akku", "Gyors töltés", "Normál töltés", "Szintentartás", "Karbantartás"};

// A reply stands for the time until the next one, but no longer than a poll period
// and some slack: past that the link was silent and the time counts nowhere.
inline constexpr double kReplyHolds = 3.0;

class SessionSummary {
 public:
  void add(const Entry& e);

  std::array<double, 5> stateSeconds{};
  double faultSeconds = 0;
  double loopSeconds = 0;
  int linkLosses = 0;
  int parameterUploads = 0;
  int calibrationUploads = 0;
  bool any = false;
  double first = 0, last = 0;
  int firstOffset = 0, lastOffset = 0;  // minutes, of the clocks that took them

 private:
  void close(double t);
  bool open_ = false;
  Entry reply_;
};

// "2 ó 13 p": days, hours and minutes, or minutes and seconds under an hour.
std::string DurationText(double seconds);
// The summary as captions and values, in the order the window lists them.
std::vector<std::pair<std::string, std::string>> SummaryLines(const SessionSummary& s);

}  // namespace voltander::history

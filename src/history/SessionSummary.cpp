#include "history/SessionSummary.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace voltander::history {

namespace {

std::string TimeText(double seconds, int offsetMinutes) {
  const LocalTime t = LocalTimeAt(seconds, offsetMinutes);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return buf;
}

}  // namespace

void SessionSummary::close(double t) {
  if (!open_) return;
  open_ = false;
  const double held = std::clamp(t - reply_.seconds, 0.0, kReplyHolds);
  if (reply_.state < stateSeconds.size()) stateSeconds[reply_.state] += held;
  if (reply_.fault) faultSeconds += held;
  if (reply_.calibrationLoop) loopSeconds += held;
}

void SessionSummary::add(const Entry& e) {
  if (!std::isfinite(e.seconds)) return;
  if (!any || e.seconds < first) {
    first = e.seconds;
    firstOffset = e.offsetMinutes;
  }
  if (!any || e.seconds >= last) {
    last = e.seconds;
    lastOffset = e.offsetMinutes;
  }
  any = true;
  switch (e.kind) {
    case EntryKind::Status:
      close(e.seconds);
      open_ = true;
      reply_ = e;
      break;
    case EntryKind::LinkLost:
      close(e.seconds);
      ++linkLosses;
      break;
    case EntryKind::ParameterUpload:
      ++parameterUploads;
      break;
    case EntryKind::CalibrationUpload:
      ++calibrationUploads;
      break;
    default:
      break;
  }
}

std::string DurationText(double seconds) {
  const auto whole = static_cast<long long>(std::max(0.0, std::floor(seconds)));
  const long long days = whole / 86400, hours = whole / 3600 % 24, minutes = whole / 60 % 60;
  if (whole >= 86400)
    return std::to_string(days) + " nap " + std::to_string(hours) + " ó " +
           std::to_string(minutes) + " p";
  if (whole >= 3600) return std::to_string(hours) + " ó " + std::to_string(minutes) + " p";
  if (whole >= 60) return std::to_string(minutes) + " p " + std::to_string(whole % 60) + " mp";
  return std::to_string(whole) + " mp";
}

std::vector<std::pair<std::string, std::string>> SummaryLines(const SessionSummary& s) {
  std::vector<std::pair<std::string, std::string>> out;
  for (std::size_t k = 0; k < kStateCaptions.size(); ++k)
    out.emplace_back(kStateCaptions[k], DurationText(s.stateSeconds[k]));
  out.emplace_back("HIBA!", DurationText(s.faultSeconds));
  out.emplace_back("Kalibrációs hurok!", DurationText(s.loopSeconds));
  out.emplace_back("Kapcsolat megszakadt", std::to_string(s.linkLosses) + " alkalom");
  out.emplace_back("Paraméterek feltöltve", std::to_string(s.parameterUploads) + " alkalom");
  out.emplace_back("Kalibráció feltöltve", std::to_string(s.calibrationUploads) + " alkalom");
  out.emplace_back("Első", s.any ? TimeText(s.first, s.firstOffset) : "–");
  out.emplace_back("Utolsó", s.any ? TimeText(s.last, s.lastOffset) : "–");
  return out;
}

}  // namespace voltander::history

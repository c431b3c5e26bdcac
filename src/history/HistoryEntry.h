// One line of the charge history: a status reply or an event, stamped with the
// local time it was taken. The chart and the session files share this form.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"

namespace voltander::history {

enum class EntryKind : std::uint8_t {
  Status,
  LinkLost,
  LinkRestored,
  ParameterUpload,
  CalibrationUpload,
  FileOpened,
  FileSaved,
  // The first link after start-up or a port choice. Last, so the others keep their
  // numbers.
  LinkUp,
};

struct Entry {
  double seconds = 0;              // since 1970-01-01 UTC
  std::int16_t offsetMinutes = 0;  // of the local clock that took it
  EntryKind kind = EntryKind::Status;
  std::uint8_t state = 0;  // status only, as the controller sent it
  std::uint8_t duty = 0;   // status only, 0-255
  bool charging = false;
  bool fault = false;
  bool calibrationLoop = false;
  float ratio = 0.0f;
  std::string detail;  // events: the seven codes, N, or the file's name

  bool operator==(const Entry&) const = default;
};

// Whole seconds since the epoch, with the milliseconds, for a local time.
double EpochSeconds(const LocalTime& t);
// The local time that seconds shows on a clock offsetMinutes from UTC.
LocalTime LocalTimeAt(double seconds, int offsetMinutes);

}  // namespace voltander::history

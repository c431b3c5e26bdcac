// The local wall-clock time with its offset from UTC, read through an interface so
// that the history's time stamps can be fixed in tests.
#pragma once

namespace voltander {

struct LocalTime {
  int year = 1970, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  int millisecond = 0;
  int offsetMinutes = 0;  // local time minus UTC
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime now() = 0;
};

}  // namespace voltander

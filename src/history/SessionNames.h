// The names of the session files. A session is named after its start and written in
// parts of at most one local day: "2026-03-01_08-15-00.csv" is its first part,
// "2026-03-01_08-15-00.002.csv" its second, and so on; a later session started in
// the same second carries a serial, "2026-03-01_08-15-00-2.csv" and
// "2026-03-01_08-15-00-2.002.csv". Sorted by StartedBefore, a session's parts follow
// one another and come after every older session.
#pragma once

#include <string>

#include "platform/Clock.h"

namespace voltander::history {

struct PartName {
  LocalTime start;  // the session's start as named, without its offset
  long serial = 0;  // 1 for the first session of its second; 0: not a session's name
  long part = 0;    // 1 for the first part
};

PartName ParsePartName(const std::string& name);
// The first part of a session started at t, the serial-th of its second.
std::string SessionFileName(const LocalTime& t, int serial = 1);
// Part number `part` of the session whose first part is `first`.
std::string PartFileName(const std::string& first, long part);
// Whether the two names are parts of one session.
bool SameSession(const std::string& a, const std::string& b);
// Whether file a comes before file b: the older session first, and within one
// session the earlier part. Names of another form come before the sessions of the
// same second.
bool StartedBefore(const std::string& a, const std::string& b);

}  // namespace voltander::history

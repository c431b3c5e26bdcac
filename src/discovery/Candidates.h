// Which devices the controller search asks, under which Comm number each would be
// chosen, and how their answers are judged and told. Pure functions, so the rules
// can be checked without a device.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/CommNumbers.h"
#include "platform/PortSearch.h"

namespace voltander {

struct Candidate {
  std::string path;      // what the probe opens
  std::string resolved;  // the node behind it, "" when unknown
  int comm = 0;          // the Comm number that opens it; 0 when it needs a new link
  std::string about;     // what the system says about it, for the lists shown
};

// System devices and registered links, each device once. A device reached through a
// link keeps the lowest such link's number; a built-in number counts only while no
// link of that number points elsewhere. Ordered by Comm number, the unnumbered last.
std::vector<Candidate> CollectCandidates(const std::vector<SerialDeviceInfo>& devices,
                                         const std::vector<RegisteredLink>& links);

// The first number from 97 up that no link uses, or 0 when all are taken.
int FirstFreeLinkNumber(const std::vector<RegisteredLink>& links);

// Judges the bytes a device sent after the poll: a reply is ten bytes, "S" first and
// "T" last. Nothing while it can still become one before the window closes.
std::optional<ProbeOutcome> JudgeReply(const std::vector<std::uint8_t>& bytes, bool windowClosed);

// "Comm 33: /dev/ttyUSB0 (FT232R USB UART)".
std::string CandidateName(const Candidate& c);
std::string ConfirmationText(const std::vector<Candidate>& candidates);
// What was tried and why each failed, with the dialout hint when rights were missing.
std::string FailureReport(const std::vector<Candidate>& candidates,
                          const std::vector<ProbeOutcome>& outcomes);

}  // namespace voltander

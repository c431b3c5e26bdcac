// Every sender writes a frame the same way: ten single-byte writes, each followed by
// a blocking 1 ms pause, so frames never interleave and the pacing shows on the wire.
// The line bundles what a sender needs, so a subsystem that sends holds just that.
#pragma once

#include "protocol/Frame.h"

namespace voltander {

class SerialPort;
class Pause;
class Journal;

struct Line {
  SerialPort& port;
  Pause& pause;
  Journal& journal;
};

// Returns false when a byte did not leave (the port was closed or lost); only a
// frame that left is told to the journal.
bool SendFrame(const Line& line, std::uint8_t letter, const Payload& payload = kFillerPayload);

}  // namespace voltander

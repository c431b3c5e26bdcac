// Every sender writes a frame the same way: ten single-byte writes, each followed by
// a blocking 1 ms pause, so frames never interleave and the pacing shows on the wire.
#pragma once

#include "link/Frame.h"

namespace voltander {

class SerialPort;
class Pause;
class Journal;

// Returns false when a byte did not leave (the port was closed or lost).
bool SendFrame(SerialPort& port, Pause& pause, Journal& journal, std::uint8_t letter,
               const Payload& payload = kFillerPayload);

}  // namespace voltander

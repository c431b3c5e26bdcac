// Gathers the bytes that arrive on the controller's side of the line into ten-byte
// frames. The line carries no length or checksum, so after noise, or after the PC
// closed its port in the middle of a frame, the collector has to find the next
// frame on its own.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "protocol/Frame.h"

namespace voltander::sim {

struct Collected {
  std::vector<FrameBytes> frames;
  std::vector<std::uint8_t> dropped;  // bytes that belonged to no frame
};

// Bytes ahead of an "S" are dropped. Ten bytes from an "S" that do not end in "T"
// lose their "S", and the search for the next "S" goes on inside them, so a frame
// that follows a torn one is still found. A frame left unfinished for longer than
// the idle limit is dropped: the PC writes a frame in about 10 ms, so a long pause
// means its rest is never coming.
class FrameCollector {
 public:
  explicit FrameCollector(std::int64_t idleLimitMs = 500) : idleLimitMs_(idleLimitMs) {}

  Collected feed(std::span<const std::uint8_t> bytes, std::int64_t nowMs);

 private:
  void settle(Collected& out);

  std::int64_t idleLimitMs_;
  std::int64_t lastByteMs_ = 0;
  std::vector<std::uint8_t> pending_;
};

}  // namespace voltander::sim

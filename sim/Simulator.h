// The simulated controller as the line sees it: bytes in, frames found, replies
// shaped by the requested faults and scheduled for writing. Everything but the
// device and the clock, so the main loop only moves bytes and waits.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "Controller.h"
#include "FaultInjector.h"
#include "FrameCollector.h"
#include "NoiseSource.h"
#include "SimOptions.h"

namespace voltander::sim {

struct Received {
  std::vector<FrameBytes> frames;     // complete frames, in arrival order
  std::vector<std::uint8_t> dropped;  // bytes that belonged to no frame
  std::vector<FrameBytes> replies;    // replies sent for them, as they go out
};

class Simulator {
 public:
  explicit Simulator(const SimOptions& options);

  Received receive(std::span<const std::uint8_t> bytes, std::int64_t msSinceStart);

  // Pieces are due in order; a reply never overtakes an earlier one still waiting,
  // and noise waits until no reply is half written.
  bool hasDue(std::int64_t msSinceStart) const;
  std::optional<std::int64_t> nextDueMs() const;
  Piece takeDue();
  // The device is to go away, and nothing is left to write.
  bool finished() const { return exitRequested_ && queue_.empty(); }

  const Controller& controller() const { return controller_; }

 private:
  void schedule(Delivery delivery);

  FrameCollector collector_;
  Controller controller_;
  FaultInjector faults_;
  NoiseSource noise_;
  std::deque<Piece> queue_;
  std::int64_t lastReplyPieceMs_ = 0;
  bool exitRequested_ = false;
};

}  // namespace voltander::sim

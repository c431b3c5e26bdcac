#include "Simulator.h"

#include <algorithm>

namespace voltander::sim {

Simulator::Simulator(const SimOptions& options) : controller_(options), faults_(options) {}

Received Simulator::receive(std::span<const std::uint8_t> bytes, std::int64_t msSinceStart) {
  Collected c = collector_.feed(bytes, msSinceStart);
  Received r{std::move(c.frames), std::move(c.dropped), {}};
  for (const FrameBytes& frame : r.frames) {
    // Once the device is going away nothing more is answered.
    if (exitRequested_) break;
    const auto reply = controller_.handle(frame, msSinceStart);
    if (!reply) continue;
    Delivery d = faults_.shape(*reply, msSinceStart);
    if (d.pieces.empty()) continue;
    r.replies.push_back(d.frame);
    schedule(std::move(d));
  }
  return r;
}

void Simulator::schedule(Delivery delivery) {
  for (Piece& p : delivery.pieces) {
    if (!queue_.empty()) p.atMs = std::max(p.atMs, queue_.back().atMs);
    queue_.push_back(std::move(p));
  }
  exitRequested_ = exitRequested_ || delivery.thenExit;
}

bool Simulator::hasDue(std::int64_t msSinceStart) const {
  return !queue_.empty() && queue_.front().atMs <= msSinceStart;
}

std::optional<std::int64_t> Simulator::nextDueMs() const {
  if (queue_.empty()) return std::nullopt;
  return queue_.front().atMs;
}

Piece Simulator::takeDue() {
  Piece p = std::move(queue_.front());
  queue_.pop_front();
  return p;
}

}  // namespace voltander::sim

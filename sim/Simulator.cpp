#include "Simulator.h"

#include <algorithm>

namespace voltander::sim {

Simulator::Simulator(const SimOptions& options)
    : controller_(options), faults_(options), noise_(options) {}

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
  const std::optional<std::int64_t> due = nextDueMs();
  return due && *due <= msSinceStart;
}

std::optional<std::int64_t> Simulator::nextDueMs() const {
  if (!queue_.empty()) return queue_.front().atMs;
  // A device on its way out sends nothing more.
  if (exitRequested_) return std::nullopt;
  return noise_.nextDueMs();
}

Piece Simulator::takeDue() {
  if (queue_.empty()) {
    // Noise held back behind a reply goes out right after the reply's last piece.
    const std::int64_t at = std::max(*noise_.nextDueMs(), lastReplyPieceMs_);
    return Piece{at, noise_.take(at), true};
  }
  Piece p = std::move(queue_.front());
  queue_.pop_front();
  lastReplyPieceMs_ = p.atMs;
  return p;
}

}  // namespace voltander::sim

#include "FrameCollector.h"

#include <algorithm>

namespace voltander::sim {

Collected FrameCollector::feed(std::span<const std::uint8_t> bytes, std::int64_t nowMs) {
  Collected out;
  if (bytes.empty()) return out;
  if (!pending_.empty() && nowMs - lastByteMs_ > idleLimitMs_) {
    out.dropped.insert(out.dropped.end(), pending_.begin(), pending_.end());
    pending_.clear();
  }
  lastByteMs_ = nowMs;
  for (const std::uint8_t b : bytes) {
    pending_.push_back(b);
    settle(out);
  }
  return out;
}

void FrameCollector::settle(Collected& out) {
  for (;;) {
    const auto start = std::find(pending_.begin(), pending_.end(), kFrameStart);
    out.dropped.insert(out.dropped.end(), pending_.begin(), start);
    pending_.erase(pending_.begin(), start);
    if (pending_.size() < 10) return;
    FrameBytes frame;
    std::copy_n(pending_.begin(), 10, frame.begin());
    if (IsFramed(frame)) {
      out.frames.push_back(frame);
      pending_.erase(pending_.begin(), pending_.begin() + 10);
    } else {
      out.dropped.push_back(pending_.front());
      pending_.erase(pending_.begin());
    }
  }
}

}  // namespace voltander::sim

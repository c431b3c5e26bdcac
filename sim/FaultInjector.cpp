#include "FaultInjector.h"

namespace voltander::sim {

FaultInjector::FaultInjector(const SimOptions& options) : options_(options) {}

bool FaultInjector::silent(std::int64_t msSinceStart) const {
  const auto& o = options_;
  if (o.silentAfter) {
    if (!silentSinceMs_) return false;
    return !o.silentForMs || msSinceStart < *silentSinceMs_ + *o.silentForMs;
  }
  if (o.silentFromMs || o.silentForMs) {
    const std::int64_t from = o.silentFromMs.value_or(0);
    return msSinceStart >= from && (!o.silentForMs || msSinceStart < from + *o.silentForMs);
  }
  return false;
}

Delivery FaultInjector::shape(const FrameBytes& reply, std::int64_t msSinceStart) {
  Delivery d;
  if (options_.silentAfter && *options_.silentAfter == 0 && !silentSinceMs_) {
    silentSinceMs_ = 0;
  }
  if (silent(msSinceStart)) return d;

  const int n = ++sent_;
  FrameBytes frame = reply;
  if (Every(options_.badStartEvery, n)) frame[0] = kWrongEdge;
  if (Every(options_.badEndEvery, n)) frame[9] = kWrongEdge;
  d.frame = frame;

  std::vector<std::uint8_t> bytes;
  const bool stray = options_.strayBytes > 0 &&
                     (options_.strayEvery == 0 ? n == 1 : Every(options_.strayEvery, n));
  if (stray) bytes.assign(static_cast<std::size_t>(options_.strayBytes), kStrayByte);
  bytes.insert(bytes.end(), frame.begin(), frame.end());

  if (options_.splitPauseMs) {
    // The cut falls inside the frame, five bytes before its end, noise or not.
    const auto cut = bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() - 5);
    d.pieces.push_back({msSinceStart, {bytes.begin(), cut}});
    d.pieces.push_back({msSinceStart + *options_.splitPauseMs, {cut, bytes.end()}});
  } else {
    d.pieces.push_back({msSinceStart, std::move(bytes)});
  }

  if (options_.silentAfter && n == *options_.silentAfter) silentSinceMs_ = msSinceStart;
  d.thenExit = options_.exitAfter && n == *options_.exitAfter;
  return d;
}

}  // namespace voltander::sim

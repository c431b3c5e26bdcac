// Line faults a test asks for: replies withheld, replies with a wrong start or end
// character, noise ahead of a reply, replies torn in two, and a device that goes
// away. Kept apart from the controller, which always answers correctly, so each
// fault can be switched on alone.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "SimOptions.h"
#include "protocol/Frame.h"

namespace voltander::sim {

// Bytes to write to the line once the clock reaches atMs.
struct Piece {
  std::int64_t atMs = 0;
  std::vector<std::uint8_t> bytes;
  bool noise = false;  // random bytes between replies, not part of one
};

struct Delivery {
  std::vector<Piece> pieces;  // empty: the reply is withheld
  FrameBytes frame{};         // the reply as it goes out, wrong edges and all
  bool thenExit = false;      // the device goes away once these are written
};

inline constexpr std::uint8_t kWrongEdge = 'X';
inline constexpr std::uint8_t kStrayByte = '?';

class FaultInjector {
 public:
  explicit FaultInjector(const SimOptions& options);

  // How one reply leaves the controller, msSinceStart into the run.
  Delivery shape(const FrameBytes& reply, std::int64_t msSinceStart);
  int repliesSent() const { return sent_; }

 private:
  bool silent(std::int64_t msSinceStart) const;
  static bool Every(int k, int n) { return k > 0 && n % k == 0; }

  SimOptions options_;
  int sent_ = 0;
  std::optional<std::int64_t> silentSinceMs_;  // when --silent-after took hold
};

}  // namespace voltander::sim

// Noise on the line, for trying the program against a bad cable: bursts of random
// bytes at random moments during a set period. The bursts come from a seeded
// generator, so a run that went wrong can be repeated byte for byte.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "SimOptions.h"

namespace voltander::sim {

inline constexpr int kNoiseMaxBurst = 16;    // bytes in one burst, at least one
inline constexpr int kNoiseMaxGapMs = 1000;  // between two bursts, at least 1 ms

class NoiseSource {
 public:
  explicit NoiseSource(const SimOptions& options);

  // When the next burst is due; nothing once the noise period is over.
  std::optional<std::int64_t> nextDueMs() const { return next_; }
  // The burst due at msSinceStart; the next one is drawn from there on.
  std::vector<std::uint8_t> take(std::int64_t msSinceStart);

 private:
  void drawNext(std::int64_t fromMs);

  std::mt19937 rng_;
  std::int64_t endMs_ = 0;
  std::optional<std::int64_t> next_;
};

}  // namespace voltander::sim

#include "NoiseSource.h"

#include <algorithm>

namespace voltander::sim {

NoiseSource::NoiseSource(const SimOptions& options) : rng_(options.noiseSeed) {
  if (options.noiseForMs <= 0) return;
  const std::int64_t from = options.noiseFromMs;
  endMs_ = from + options.noiseForMs;
  drawNext(from);
}

void NoiseSource::drawNext(std::int64_t fromMs) {
  std::uniform_int_distribution<int> gap(1, kNoiseMaxGapMs);
  const std::int64_t at = fromMs + gap(rng_);
  if (at < endMs_) {
    next_ = at;
  } else {
    next_.reset();
  }
}

std::vector<std::uint8_t> NoiseSource::take(std::int64_t msSinceStart) {
  if (!next_) return {};
  std::uniform_int_distribution<int> size(1, kNoiseMaxBurst);
  std::uniform_int_distribution<int> value(0, 255);
  std::vector<std::uint8_t> burst(static_cast<std::size_t>(size(rng_)));
  for (std::uint8_t& b : burst) b = static_cast<std::uint8_t>(value(rng_));
  // A burst held back behind a reply counts its gap from when it really went out.
  drawNext(std::max(msSinceStart, *next_));
  return burst;
}

}  // namespace voltander::sim

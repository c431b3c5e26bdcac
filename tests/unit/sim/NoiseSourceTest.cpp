#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "NoiseSource.h"
#include "SimOptions.h"
#include "Simulator.h"

namespace voltander::sim {
namespace {

struct Burst {
  std::int64_t atMs;
  std::vector<std::uint8_t> bytes;
};

// Every burst a source gives when each is taken the moment it is due.
std::vector<Burst> AllBursts(const SimOptions& o) {
  NoiseSource noise(o);
  std::vector<Burst> bursts;
  while (const auto due = noise.nextDueMs()) {
    bursts.push_back({*due, noise.take(*due)});
    if (bursts.size() > 100000) break;
  }
  return bursts;
}

SimOptions Noisy(int fromMs, int forMs, std::uint32_t seed) {
  SimOptions o;
  o.noiseFromMs = fromMs;
  o.noiseForMs = forMs;
  o.noiseSeed = seed;
  return o;
}

TEST(NoiseSource, BurstsStayInsideThePeriodWithinTheirBounds) {
  const std::vector<Burst> bursts = AllBursts(Noisy(3000, 60000, 7));
  // About one burst per half second over a minute.
  ASSERT_GT(bursts.size(), 60u);
  ASSERT_LT(bursts.size(), 1000u);
  std::int64_t last = 3000;
  std::vector<int> seen(256, 0);
  for (const Burst& b : bursts) {
    EXPECT_GT(b.atMs, last);
    EXPECT_LE(b.atMs - last, kNoiseMaxGapMs);
    EXPECT_LT(b.atMs, 63000);
    EXPECT_GE(b.bytes.size(), 1u);
    EXPECT_LE(b.bytes.size(), static_cast<std::size_t>(kNoiseMaxBurst));
    for (const std::uint8_t v : b.bytes) ++seen[v];
    last = b.atMs;
  }
  // The last burst is not far from the end: the noise really lasts the period.
  EXPECT_GT(last, 63000 - kNoiseMaxGapMs);
  // Any byte value can come, frame edges included.
  EXPECT_GT(seen['S'] + seen['T'], 0);
  EXPECT_GT(std::count_if(seen.begin(), seen.end(), [](int n) { return n > 0; }), 200);
}

TEST(NoiseSource, TheSeedRepeatsARunAndNoPeriodMeansNoNoise) {
  const auto a = AllBursts(Noisy(0, 20000, 42));
  const auto b = AllBursts(Noisy(0, 20000, 42));
  const auto c = AllBursts(Noisy(0, 20000, 43));
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].atMs, b[i].atMs);
    EXPECT_EQ(a[i].bytes, b[i].bytes);
  }
  bool differs = a.size() != c.size();
  for (std::size_t i = 0; !differs && i < a.size(); ++i) differs = a[i].bytes != c[i].bytes;
  EXPECT_TRUE(differs);

  EXPECT_FALSE(NoiseSource(SimOptions{}).nextDueMs());
}

TEST(NoiseSource, OptionsParseAndAStartWithoutALengthIsRefused) {
  const ParseResult r =
      ParseSimOptions({"--noise-from", "2500", "--noise-for=60000", "--noise-seed", "4294967295"});
  ASSERT_TRUE(r.options) << r.error;
  EXPECT_EQ(r.options->noiseFromMs, 2500);
  EXPECT_EQ(r.options->noiseForMs, 60000);
  EXPECT_EQ(r.options->noiseSeed, 4294967295u);

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--noise-from", "100"},
                                              {"--noise-for", "-1"},
                                              {"--noise-seed", "4294967296"},
                                              {"--noise-for"}}) {
    EXPECT_FALSE(ParseSimOptions(bad).options) << bad[0];
  }
}

// Writes everything the simulator has due up to untilMs, in order, and says which
// bytes were noise.
struct Line {
  std::vector<std::uint8_t> bytes;
  std::vector<bool> noise;
};

void Drain(Simulator& sim, std::int64_t untilMs, Line& line) {
  while (sim.hasDue(untilMs)) {
    const Piece p = sim.takeDue();
    line.bytes.insert(line.bytes.end(), p.bytes.begin(), p.bytes.end());
    line.noise.insert(line.noise.end(), p.bytes.size(), p.noise);
  }
}

TEST(Simulator, NoiseNeverFallsInsideASplitReply) {
  SimOptions o = Noisy(0, 30000, 3);
  o.splitPauseMs = 400;
  Simulator sim(o);
  const FrameBytes poll = EncodeFrame(kPoll);
  Line line;
  for (std::int64_t t = 0; t < 30000; t += 10) {
    if (t % 2000 == 0) sim.receive(poll, t);
    Drain(sim, t, line);
  }
  // Every status reply's ten bytes lie together, with noise only around them.
  int replies = 0;
  for (std::size_t i = 0; i + 10 <= line.bytes.size(); ++i) {
    if (line.noise[i] || line.bytes[i] != kFrameStart) continue;
    if (line.bytes[i + 1] != kStatusReply) continue;
    ++replies;
    for (std::size_t k = i; k < i + 10; ++k) EXPECT_FALSE(line.noise[k]) << "byte " << k;
    EXPECT_EQ(line.bytes[i + 9], kFrameEnd);
    i += 9;
  }
  EXPECT_EQ(replies, 15);
  EXPECT_GT(std::count(line.noise.begin(), line.noise.end(), true), 100);
}

TEST(Simulator, NoiseStopsWhenTheDeviceIsGoingAway) {
  SimOptions o = Noisy(0, 60000, 5);
  o.exitAfter = 1;
  Simulator sim(o);
  sim.receive(EncodeFrame(kPoll), 0);
  const Piece reply = sim.takeDue();
  EXPECT_FALSE(reply.noise);
  EXPECT_TRUE(sim.finished());
  EXPECT_FALSE(sim.nextDueMs());
  EXPECT_FALSE(sim.hasDue(60000));
}

}  // namespace
}  // namespace voltander::sim

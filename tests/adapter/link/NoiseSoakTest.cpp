// A minute of random bytes on the line between the controller's replies: the link
// may drop as often as the noise likes, but must come back by itself within two
// ticks once the line is clean again.
#include <gtest/gtest.h>

#include <algorithm>

#include "adapter/link/LinkWindowRig.h"
#include "adapter/qt/PtyFixture.h"

namespace voltander::test {
namespace {

constexpr int kNoiseFromMs = 5000;
constexpr int kNoiseForMs = 60000;

TEST(NoisyLineSoak, LinkIsBackWithinTwoTicksAfterAMinuteOfNoise) {
  const std::int64_t startUs = EpochUs();
  LinkWindowRig rig(206, {"--noise-from", std::to_string(kNoiseFromMs), "--noise-for",
                          std::to_string(kNoiseForMs), "--noise-seed", "11"});
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.kozos.LiveLink; }, kNoiseFromMs - 500))
      << "no handshake before the noise";

  // Watched until the noise is over and the link has then stayed up for over two
  // ticks; a loaded machine only makes the watch longer.
  const std::int64_t noiseOverUs = startUs + (kNoiseFromMs + kNoiseForMs) * 1000LL;
  const std::int64_t upLongEnoughUs = (2 * kTickMs + 1000) * 1000LL;
  std::int64_t lastDownUs = 0;
  int drops = 0;
  bool up = true;
  ProcessEventsUntil(
      [&] {
        const std::int64_t now = EpochUs();
        const bool nowUp = rig.kozos.LiveLink && rig.looksConnected();
        if (!nowUp) lastDownUs = now;
        if (up && !nowUp) ++drops;
        up = nowUp;
        return now > noiseOverUs + 1000000 && now - lastDownUs > upLongEnoughUs;
      },
      kNoiseFromMs + kNoiseForMs + 8 * kTickMs + 10000);

  const std::vector<std::int64_t> noise = rig.sim().noteTimesUs("noise");
  ASSERT_GT(noise.size(), 50u);
  const std::int64_t lastNoiseUs = noise.back();
  ASSERT_LT(lastNoiseUs, EpochUs() - upLongEnoughUs) << "the noise lasted longer than asked for";
  // "Two ticks" counted from the first poll that followed the last burst, with slack
  // for a busy machine.
  const auto frames = rig.sim().frames();
  const auto firstPoll = std::find_if(frames.begin(), frames.end(), [&](const LoggedFrame& f) {
    return f.usec > lastNoiseUs && f.bytes[1] == 'R';
  });
  ASSERT_NE(firstPoll, frames.end()) << "no poll after the noise";

  RecordProperty("bursts", static_cast<int>(noise.size()));
  RecordProperty("drops", drops);
  RecordProperty("down_after_last_burst_ms", static_cast<int>((lastDownUs - lastNoiseUs) / 1000));
  EXPECT_GT(drops, 0) << "the noise never reached the program";
  EXPECT_LE(lastDownUs - firstPoll->usec, (2 * kTickMs + 2000) * 1000LL)
      << "link still down " << (lastDownUs - firstPoll->usec) / 1000
      << " ms after the first poll past the noise";
  EXPECT_TRUE(rig.kozos.LiveLink);
  EXPECT_TRUE(rig.looksConnected());
  EXPECT_EQ(rig.version(), "V200401");
  // Noise is not a line error: no box is ever shown for it.
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

}  // namespace
}  // namespace voltander::test

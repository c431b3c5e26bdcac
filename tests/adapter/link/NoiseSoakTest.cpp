// A minute of random bytes on the line between the controller's replies: the link
// may drop as often as the noise likes, but it must come back by itself within two
// ticks once the line is clean again.
#include <gtest/gtest.h>

#include "adapter/link/LinkWindowRig.h"
#include "adapter/qt/PtyFixture.h"
#include "support/SimNotes.h"

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

  // Whenever the link looks anything but up, and how often it went down.
  std::int64_t lastDownUs = 0;
  int drops = 0;
  bool up = true;
  // The simulator's clock starts a moment after startUs, so its noise ends a moment
  // after noiseOverUs; the watch goes on well past two ticks beyond that.
  const std::int64_t noiseOverUs = startUs + (kNoiseFromMs + kNoiseForMs) * 1000LL;
  const std::int64_t watchEndUs = noiseOverUs + (2 * kTickMs + 4000) * 1000LL;
  ProcessEventsUntil(
      [&] {
        const bool nowUp = rig.kozos.LiveLink && rig.looksConnected();
        if (!nowUp) lastDownUs = EpochUs();
        if (up && !nowUp) ++drops;
        up = nowUp;
        return EpochUs() > watchEndUs;
      },
      kNoiseFromMs + kNoiseForMs + 2 * kTickMs + 10000);

  const std::vector<std::int64_t> noise = NoteTimesUs(rig.sim(), "noise");
  ASSERT_GT(noise.size(), 50u);
  const std::int64_t lastNoiseUs = noise.back();
  ASSERT_LT(lastNoiseUs, watchEndUs - (2 * kTickMs + 2000) * 1000LL)
      << "the noise lasted longer than asked for";

  RecordProperty("bursts", static_cast<int>(noise.size()));
  RecordProperty("drops", drops);
  RecordProperty("down_after_last_burst_ms", static_cast<int>((lastDownUs - lastNoiseUs) / 1000));
  EXPECT_GT(drops, 0) << "the noise never reached the program";
  EXPECT_LE(lastDownUs - lastNoiseUs, (2 * kTickMs + 1000) * 1000LL)
      << "link still down " << (lastDownUs - lastNoiseUs) / 1000 << " ms after the last burst";
  EXPECT_TRUE(rig.kozos.LiveLink);
  EXPECT_TRUE(rig.looksConnected());
  EXPECT_EQ(rig.widget<QLineEdit>("AMVerzio")->text(), "V200401");
  // Noise is not a line error: no box is ever shown for it.
  EXPECT_TRUE(rig.dialogs.shown.empty());
}

}  // namespace
}  // namespace voltander::test

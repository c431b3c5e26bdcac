// Random bytes on the line between the controller's replies, against the real
// program: it must live through them and greet the controller again by itself.
#include <chrono>
#include <thread>

#include "e2e/ProgramWithController.h"
#include "support/SimNotes.h"

namespace voltander::test {
namespace {

using NoisyLineEndToEnd = ProgramWithController;

constexpr int kTickMs = 2000;
constexpr int kNoiseFromMs = 3000;
constexpr int kNoiseForMs = 15000;

TEST_F(NoisyLineEndToEnd, ProgramOutlivesTheNoiseAndCompletesAHandshakeWithinTwoTicksAfterIt) {
  start({"--noise-from", std::to_string(kNoiseFromMs), "--noise-for", std::to_string(kNoiseForMs),
         "--noise-seed", "5"});
  std::this_thread::sleep_for(std::chrono::milliseconds(kNoiseFromMs + kNoiseForMs + 1000));
  ASSERT_TRUE(program_->running()) << "the program ended; its output:\n" << program_->output();

  const std::vector<std::int64_t> noise = NoteTimesUs(*sim_, "noise");
  ASSERT_GT(noise.size(), 10u);
  const std::int64_t lastNoiseUs = noise.back();

  // The first version request after the last burst, answered and followed by the
  // stored-parameter request: the handshake of a new connection.
  auto handshakeAfterNoise = [&](const std::vector<LoggedFrame>& frames) -> const LoggedFrame* {
    bool versionAsked = false;
    for (const LoggedFrame& f : frames) {
      if (f.usec <= lastNoiseUs) continue;
      if (f.bytes[1] == 'V') versionAsked = true;
      if (versionAsked && f.bytes[1] == 'O') return &f;
    }
    return nullptr;
  };
  const std::vector<LoggedFrame> frames = sim_->waitForFrames(
      [&](const auto& f) { return handshakeAfterNoise(f) != nullptr; }, 2 * kTickMs + 3000);
  const LoggedFrame* done = handshakeAfterNoise(frames);
  ASSERT_NE(done, nullptr) << "no handshake after the noise: " << Letters(frames);
  RecordProperty("handshake_after_last_burst_ms",
                 static_cast<int>((done->usec - lastNoiseUs) / 1000));
  EXPECT_LE(done->usec - lastNoiseUs, (2 * kTickMs + 1500) * 1000LL);
  EXPECT_TRUE(program_->running());
  stopProgram();
}

}  // namespace
}  // namespace voltander::test

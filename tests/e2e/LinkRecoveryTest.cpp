#include <chrono>
#include <regex>
#include <thread>

#include "ProgramWithController.h"

namespace voltander::test {
namespace {

using LinkRecoveryEndToEnd = ProgramWithController;

bool HandshakesSeen(const std::string& letters, std::size_t n) {
  return std::count(letters.begin(), letters.end(), 'O') >= static_cast<long>(n);
}

TEST_F(LinkRecoveryEndToEnd, ControllerBackFromSilenceIsAskedForItsVersionAgain) {
  // Silent for 4.5 s after the handshake's three replies: at least one tick finds
  // no reply and declares the link lost.
  start({"--silent-after", "3", "--silent-for", "4500"});
  const std::string letters =
      waitForLetters([](const auto& l) { return HandshakesSeen(l, 2); }, 20000);
  stopProgram();
  EXPECT_TRUE(std::regex_search(letters, std::regex("^RVOR{2,4}VO"))) << letters;
}

TEST_F(LinkRecoveryEndToEnd, BadFrameMakesTheNextStatusReplyRestartTheHandshake) {
  // The fourth reply, the first status reply after the handshake, ends wrongly.
  start({"--bad-end=4"});
  const std::string letters =
      waitForLetters([](const auto& l) { return HandshakesSeen(l, 2); }, 20000);
  stopProgram();
  EXPECT_TRUE(std::regex_search(letters, std::regex("^RVORRVO"))) << letters;
}

TEST_F(LinkRecoveryEndToEnd, StrayBytesDelayTheHandshakeUntilTheLineIsReopened) {
  // Noise ahead of the first status reply shifts the framing; the tick that saw no
  // parsed frame re-opens the port, and the next reply starts the handshake.
  start({"--stray", "3"});
  const std::string letters =
      waitForLetters([](const auto& l) { return HandshakesSeen(l, 1); }, 20000);
  stopProgram();
  EXPECT_TRUE(std::regex_search(letters, std::regex("^RR{1,2}VO"))) << letters;
}

TEST_F(LinkRecoveryEndToEnd, VanishingControllerLeavesTheProgramIdleAndResponsive) {
  // Comm 120 has no device to fall back on once the simulator's link is gone.
  start({"--exit-after", "3"}, 120);
  const auto status = sim_->waitExit(20000);
  ASSERT_TRUE(status) << "the simulator did not go away";
  EXPECT_EQ(Letters(sim_->frames()), "RVO");

  // Give the program time to notice, then watch it: it must neither end nor spin.
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  ASSERT_TRUE(program_->running()) << program_->output();
  const auto before = CpuSeconds(program_->pid());
  std::this_thread::sleep_for(std::chrono::milliseconds(3000));
  const auto after = CpuSeconds(program_->pid());
  ASSERT_TRUE(before && after);
  EXPECT_LT(*after - *before, 1.0) << "processor seconds used in 3 s after the device went away";
  stopProgram();
  EXPECT_TRUE(SettingsValue(config_.path(), "Setup", "Portok")) << "settings written at exit";
}

}  // namespace
}  // namespace voltander::test

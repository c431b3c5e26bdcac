#include <algorithm>
#include <regex>

#include "ProgramWithController.h"

namespace voltander::test {
namespace {

using PollingEndToEnd = ProgramWithController;

std::vector<double> PollGapsMs(const std::vector<LoggedFrame>& frames) {
  std::vector<double> gaps;
  std::int64_t last = -1;
  for (const auto& f : frames) {
    if (f.bytes[1] != 'R') continue;
    if (last >= 0) gaps.push_back(static_cast<double>(f.usec - last) / 1000.0);
    last = f.usec;
  }
  return gaps;
}

TEST_F(PollingEndToEnd, SteadyControllerIsPolledEveryTwoSecondsAfterOneHandshake) {
  start({});
  sim_->waitForFrames([](const auto& f) { return PollGapsMs(f).size() >= 4; }, 20000);
  stopProgram();
  const auto frames = sim_->frames();
  const std::string letters = Letters(frames);

  // R, then V once, then O once, then nothing but polls.
  EXPECT_TRUE(std::regex_match(letters, std::regex("RVOR+"))) << letters;
  for (const auto& f : frames) {
    EXPECT_TRUE(std::all_of(f.bytes.begin() + 2, f.bytes.end() - 1, [](auto b) {
      return b == '0';
    })) << "requests carry seven \"0\"";
  }

  std::vector<double> gaps = PollGapsMs(frames);
  ASSERT_GE(gaps.size(), 4u) << letters;
  for (const double g : gaps) {
    EXPECT_GT(g, 1500) << "poll gap";
    EXPECT_LT(g, 2600) << "poll gap";
  }
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  EXPECT_NEAR(gaps[gaps.size() / 2], 2000, 300) << "median poll gap";
}

TEST_F(PollingEndToEnd, ExitWritesTheOpenPortBackWithItsBlank) {
  start({});
  const std::string letters = waitForLetters([](const auto& l) { return !l.empty(); }, 15000);
  ASSERT_FALSE(letters.empty()) << "no poll arrived; program output:\n" << program_->output();
  stopProgram();
  EXPECT_EQ(SettingsValue(config_.path(), "Setup", "Portok"), "\" 0\"");
  EXPECT_EQ(SettingsValue(config_.path(), "Setup", "BAssis"), "1");
  EXPECT_EQ(SettingsValue(config_.path(), "Setup", "Expert"), "0");
}

TEST_F(PollingEndToEnd, SplitReplyIsTakenOnceItsTenthByteArrives) {
  start({"--split", "300"});
  const std::string letters =
      waitForLetters([](const auto& l) { return l.find('O') != std::string::npos; }, 15000);
  stopProgram();
  // The version request follows the first poll: its reply was taken though it came
  // in two pieces.
  EXPECT_EQ(letters.substr(0, 3), "RVO");
}

}  // namespace
}  // namespace voltander::test

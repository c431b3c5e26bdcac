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

TEST_F(PollingEndToEnd, SteadyControllerIsPolledEveryTwoSecondsAndThePortIsStoredAtExit) {
  start({});
  sim_->waitForFrames([](const auto& f) { return PollGapsMs(f).size() >= 4; }, 20000);
  stopProgram();
  const auto frames = sim_->frames();
  const std::string letters = Letters(frames);
  // One handshake, then nothing but polls.
  EXPECT_TRUE(std::regex_match(letters, std::regex("RVOR+"))) << letters;
  std::vector<double> gaps = PollGapsMs(frames);
  ASSERT_GE(gaps.size(), 4u) << letters;
  for (const double g : gaps) {
    EXPECT_GT(g, 1500);
    EXPECT_LT(g, 2600);
  }
  std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
  EXPECT_NEAR(gaps[gaps.size() / 2], 2000, 300) << "median poll gap";

  EXPECT_EQ(setting("Portok"), "\" 0\"");
  EXPECT_EQ(setting("BAssis"), "1");
  EXPECT_EQ(setting("Expert"), "0");
}

TEST_F(PollingEndToEnd, BadFrameMakesTheNextStatusReplyRestartTheHandshake) {
  // The fourth reply, the first status reply after the handshake, ends wrongly.
  start({"--bad-end=4"});
  const std::string letters =
      waitForLetters([](const auto& l) { return std::count(l.begin(), l.end(), 'O') >= 2; }, 20000);
  stopProgram();
  EXPECT_TRUE(std::regex_search(letters, std::regex("^RVORRVO"))) << letters;
}

}  // namespace
}  // namespace voltander::test

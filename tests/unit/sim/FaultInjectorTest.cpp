#include <gtest/gtest.h>

#include <vector>

#include "FaultInjector.h"
#include "Simulator.h"

namespace voltander::sim {
namespace {

const FrameBytes kReply = EncodeFrame(kStatusReply, {100, '0', '0', '0', 15, 160, 17});

// Which of the replies offered at the given times go out.
std::vector<bool> Sent(const SimOptions& o, const std::vector<std::int64_t>& times) {
  FaultInjector f(o);
  std::vector<bool> sent;
  for (const std::int64_t t : times) sent.push_back(!f.shape(kReply, t).pieces.empty());
  return sent;
}

TEST(FaultInjector, SilenceAfterNRepliesLastsForGoodOrForThePeriod) {
  SimOptions o;
  o.silentAfter = 3;
  const std::vector<std::int64_t> t = {0, 2000, 4000, 6000, 8000, 10000, 12000};
  EXPECT_EQ(Sent(o, t), (std::vector<bool>{true, true, true, false, false, false, false}));
  // The third reply went out at 4000: silent until 8500.
  o.silentForMs = 4500;
  EXPECT_EQ(Sent(o, t), (std::vector<bool>{true, true, true, false, false, true, true}));
}

TEST(FaultInjector, SilentPeriodIsCountedFromTheStart) {
  SimOptions o;
  o.silentFromMs = 3000;
  o.silentForMs = 4000;
  EXPECT_EQ(Sent(o, {0, 2999, 3000, 6999, 7000}),
            (std::vector<bool>{true, true, false, false, true}));
}

TEST(FaultInjector, WrongEdgesHitEveryKthReplyThatGoesOut) {
  SimOptions o;
  o.badStartEvery = 3;
  o.badEndEvery = 2;
  FaultInjector f(o);
  for (int n = 1; n <= 6; ++n) {
    const Delivery d = f.shape(kReply, n);
    ASSERT_EQ(d.pieces.size(), 1u);
    const auto& bytes = d.pieces[0].bytes;
    ASSERT_EQ(bytes.size(), 10u);
    EXPECT_EQ(bytes[0], n % 3 == 0 ? kWrongEdge : kFrameStart) << "reply " << n;
    EXPECT_EQ(bytes[9], n % 2 == 0 ? kWrongEdge : kFrameEnd) << "reply " << n;
    EXPECT_TRUE(std::equal(bytes.begin() + 1, bytes.end() - 1, kReply.begin() + 1));
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), d.frame.begin()));
  }
}

TEST(FaultInjector, StrayBytesPrecedeTheFirstReplyOrEveryKth) {
  SimOptions o;
  o.strayBytes = 3;
  for (const int every : {0, 2}) {
    o.strayEvery = every;
    FaultInjector f(o);
    for (int n = 1; n <= 4; ++n) {
      const auto bytes = f.shape(kReply, 0).pieces.at(0).bytes;
      const bool stray = every == 0 ? n == 1 : n % 2 == 0;
      ASSERT_EQ(bytes.size(), stray ? 13u : 10u) << "every " << every << ", reply " << n;
      EXPECT_TRUE(std::equal(kReply.begin(), kReply.end(), bytes.end() - 10));
    }
  }
}

TEST(FaultInjector, SplitReplyLeavesInTwoPiecesThePauseApart) {
  SimOptions o;
  o.splitPauseMs = 300;
  o.strayBytes = 2;
  FaultInjector f(o);
  const Delivery d = f.shape(kReply, 1000);
  ASSERT_EQ(d.pieces.size(), 2u);
  EXPECT_EQ(d.pieces[0].atMs, 1000);
  EXPECT_EQ(d.pieces[1].atMs, 1300);
  std::vector<std::uint8_t> joined = d.pieces[0].bytes;
  joined.insert(joined.end(), d.pieces[1].bytes.begin(), d.pieces[1].bytes.end());
  ASSERT_EQ(joined.size(), 12u);
  EXPECT_TRUE(std::equal(kReply.begin(), kReply.end(), joined.begin() + 2));
  EXPECT_LT(d.pieces[0].bytes.size(), 10u);
}

TEST(Simulator, RepliesKeepTheirOrderBehindASplitOneAndStopAtTheExit) {
  SimOptions o;
  o.splitPauseMs = 500;
  o.exitAfter = 2;
  Simulator sim(o);
  const FrameBytes poll = EncodeFrame(kPoll);
  const FrameBytes version = EncodeFrame(kVersionRequest);
  sim.receive(poll, 0);
  const Received second = sim.receive(version, 100);
  ASSERT_EQ(second.replies.size(), 1u);
  EXPECT_EQ(second.replies[0][1], kVersionReply);
  EXPECT_TRUE(sim.receive(poll, 200).replies.empty()) << "the device is already going away";

  std::vector<std::int64_t> due;
  std::vector<std::uint8_t> line;
  while (sim.nextDueMs()) {
    EXPECT_EQ(sim.hasDue(499), *sim.nextDueMs() == 0);
    EXPECT_FALSE(sim.finished());
    const Piece p = sim.takeDue();
    due.push_back(p.atMs);
    line.insert(line.end(), p.bytes.begin(), p.bytes.end());
  }
  EXPECT_TRUE(sim.finished());
  // The version reply was ready at 100 but waits behind the status reply's tail.
  EXPECT_EQ(due, (std::vector<std::int64_t>{0, 500, 500, 600}));
  ASSERT_EQ(line.size(), 20u);
  EXPECT_EQ(line[1], kStatusReply);
  EXPECT_EQ(line[11], kVersionReply);
}

}  // namespace
}  // namespace voltander::sim

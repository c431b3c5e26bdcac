#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "FaultInjector.h"
#include "Simulator.h"

namespace voltander::sim {
namespace {

const FrameBytes kReply = EncodeFrame(kStatusReply, {100, '0', '0', '0', 15, 160, 17});

TEST(FaultInjector, WrongEdgesAndStrayBytesHitEveryKthReplyAndLeaveTheRestIntact) {
  SimOptions o;
  o.badStartEvery = 3;
  o.badEndEvery = 2;
  o.strayBytes = 3;
  o.strayEvery = 2;
  FaultInjector f(o);
  for (int n = 1; n <= 6; ++n) {
    SCOPED_TRACE(n);
    const Delivery d = f.shape(kReply, n);
    ASSERT_EQ(d.pieces.size(), 1u);
    const auto& bytes = d.pieces[0].bytes;
    ASSERT_EQ(bytes.size(), n % 2 == 0 ? 13u : 10u);
    const auto frame = bytes.end() - 10;
    EXPECT_EQ(frame[0], n % 3 == 0 ? kWrongEdge : kFrameStart);
    EXPECT_EQ(frame[9], n % 2 == 0 ? kWrongEdge : kFrameEnd);
    EXPECT_TRUE(std::equal(frame + 1, frame + 9, kReply.begin() + 1));
    EXPECT_TRUE(std::equal(frame, bytes.end(), d.frame.begin()));
  }
}

TEST(Simulator, SplitRepliesKeepTheirOrderAndTheDeviceGoesAwayAfterTheLast) {
  SimOptions o;
  o.splitPauseMs = 500;
  o.exitAfter = 2;
  Simulator sim(o);
  sim.receive(EncodeFrame(kPoll), 0);
  EXPECT_EQ(sim.receive(EncodeFrame(kVersionRequest), 100).replies.size(), 1u);
  EXPECT_TRUE(sim.receive(EncodeFrame(kPoll), 200).replies.empty()) << "already going away";

  std::vector<std::int64_t> due;
  std::vector<std::uint8_t> line;
  while (sim.nextDueMs()) {
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

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Simulator.h"

namespace voltander::sim {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

FrameBytes Frame(const std::string& s) {
  FrameBytes f{};
  std::copy_n(s.begin(), 10, f.begin());
  return f;
}

TEST(FrameCollector, FindsFramesBehindNoiseAndTornFramesAndAcrossReads) {
  FrameCollector c;
  const Collected first = c.feed(Bytes("??SV00SR00"), 0);
  EXPECT_TRUE(first.frames.empty());
  const Collected rest = c.feed(Bytes("00000TSITSTSTSTT"), 5);
  // Start and end characters inside a payload are data.
  EXPECT_EQ(rest.frames, (std::vector<FrameBytes>{Frame("SR0000000T"), Frame("SITSTSTSTT")}));
  std::vector<std::uint8_t> dropped = first.dropped;
  dropped.insert(dropped.end(), rest.dropped.begin(), rest.dropped.end());
  EXPECT_EQ(dropped, Bytes("??SV00"));
  // A stray start right before a frame costs that one byte only.
  const Collected again = c.feed(Bytes("SSR0000000T"), 10);
  EXPECT_EQ(again.frames, std::vector<FrameBytes>{Frame("SR0000000T")});
  EXPECT_EQ(again.dropped, Bytes("S"));
}

// Otherwise the three old bytes and the upload's first seven would pass for a frame
// (its payload has a "T" at the right place) and the upload would be lost.
TEST(FrameCollector, UnfinishedFrameIsDroppedAfterAPause) {
  FrameCollector c;
  EXPECT_TRUE(c.feed(Bytes("SR0"), 0).frames.empty());
  const Collected got = c.feed(Bytes("SI1234T67T"), 1000);
  EXPECT_EQ(got.frames, std::vector<FrameBytes>{Frame("SI1234T67T")});
  EXPECT_EQ(got.dropped, Bytes("SR0"));
}

TEST(FaultInjector, WrongEdgesAndStrayBytesHitEveryKthReplyAndLeaveTheRestIntact) {
  const FrameBytes reply = EncodeFrame(kStatusReply, {100, '0', '0', '0', 15, 160, 17});
  SimOptions o;
  o.badStartEvery = 3;
  o.badEndEvery = 2;
  o.strayBytes = 3;
  o.strayEvery = 2;
  FaultInjector f(o);
  for (int n = 1; n <= 6; ++n) {
    SCOPED_TRACE(n);
    const Delivery d = f.shape(reply, n);
    ASSERT_EQ(d.pieces.size(), 1u);
    const auto& bytes = d.pieces[0].bytes;
    ASSERT_EQ(bytes.size(), n % 2 == 0 ? 13u : 10u);
    const auto frame = bytes.end() - 10;
    EXPECT_EQ(frame[0], n % 3 == 0 ? kWrongEdge : kFrameStart);
    EXPECT_EQ(frame[9], n % 2 == 0 ? kWrongEdge : kFrameEnd);
    EXPECT_TRUE(std::equal(frame + 1, frame + 9, reply.begin() + 1));
    EXPECT_TRUE(std::equal(frame, bytes.end(), d.frame.begin()));
  }
}

}  // namespace
}  // namespace voltander::sim

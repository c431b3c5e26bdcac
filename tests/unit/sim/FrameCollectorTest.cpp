#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FrameCollector.h"

namespace voltander::sim {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

FrameBytes Frame(const std::string& s) {
  FrameBytes f{};
  std::copy_n(s.begin(), 10, f.begin());
  return f;
}

TEST(FrameCollector, FindsAFrameSpreadOverReadsAndDropsTheNoiseAhead) {
  FrameCollector c;
  Collected first = c.feed(Bytes("??SR00"), 0);
  EXPECT_TRUE(first.frames.empty());
  EXPECT_EQ(first.dropped, Bytes("??"));
  Collected rest = c.feed(Bytes("00000T"), 5);
  ASSERT_EQ(rest.frames.size(), 1u);
  EXPECT_EQ(rest.frames[0], Frame("SR0000000T"));
  EXPECT_TRUE(rest.dropped.empty());
}

TEST(FrameCollector, StartAndEndCharactersInsideThePayloadAreData) {
  FrameCollector c;
  const std::string frame = "SITSTSTSTT";
  const Collected got = c.feed(Bytes(frame + "SR0000000T"), 0);
  ASSERT_EQ(got.frames.size(), 2u);
  EXPECT_EQ(got.frames[0], Frame(frame));
  EXPECT_EQ(got.frames[1], Frame("SR0000000T"));
}

TEST(FrameCollector, TornFrameDoesNotHideTheFrameThatFollows) {
  FrameCollector c;
  const Collected got = c.feed(Bytes("SV00SR0000000T"), 0);
  ASSERT_EQ(got.frames.size(), 1u);
  EXPECT_EQ(got.frames[0], Frame("SR0000000T"));
  EXPECT_EQ(got.dropped, Bytes("SV00"));
}

// Without the pause rule the three old bytes and the upload's first seven would
// pass for a frame (its payload carries a "T" at the right place), and the upload
// would be lost.
TEST(FrameCollector, UnfinishedFrameIsDroppedAfterAPause) {
  FrameCollector c;
  EXPECT_TRUE(c.feed(Bytes("SR0"), 0).frames.empty());
  const Collected got = c.feed(Bytes("SI1234T67T"), 1000);
  ASSERT_EQ(got.frames.size(), 1u);
  EXPECT_EQ(got.frames[0], Frame("SI1234T67T"));
  EXPECT_EQ(got.dropped, Bytes("SR0"));
}

}  // namespace
}  // namespace voltander::sim

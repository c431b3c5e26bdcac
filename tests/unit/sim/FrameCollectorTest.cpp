#include <gtest/gtest.h>

#include <algorithm>
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
}

// Without the pause rule the three old bytes and the upload's first seven would pass
// for a frame (its payload carries a "T" at the right place), and the upload be lost.
TEST(FrameCollector, UnfinishedFrameIsDroppedAfterAPause) {
  FrameCollector c;
  EXPECT_TRUE(c.feed(Bytes("SR0"), 0).frames.empty());
  const Collected got = c.feed(Bytes("SI1234T67T"), 1000);
  EXPECT_EQ(got.frames, std::vector<FrameBytes>{Frame("SI1234T67T")});
  EXPECT_EQ(got.dropped, Bytes("SR0"));
}

}  // namespace
}  // namespace voltander::sim

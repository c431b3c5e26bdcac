#include <gtest/gtest.h>

#include "PortLink.h"
#include "SimOptions.h"

namespace voltander::sim {
namespace {

TEST(SimOptions, EveryFlagReachesItsField) {
  const ParseResult r = ParseSimOptions({"--port",
                                         "7",
                                         "--log=/tmp/x.log",
                                         "--version",
                                         "ABC123",
                                         "--ratio",
                                         "40000",
                                         "--params",
                                         "1,2,3,4,5,6,255",
                                         "--state",
                                         "15",
                                         "--duty",
                                         "254",
                                         "--model-seconds",
                                         "0.5",
                                         "--silent-after",
                                         "3",
                                         "--silent-for",
                                         "4500",
                                         "--bad-start",
                                         "--bad-end=4",
                                         "--split",
                                         "200",
                                         "--stray",
                                         "3",
                                         "--stray-every",
                                         "5",
                                         "--exit-after",
                                         "9"});
  ASSERT_TRUE(r.options) << r.error;
  const SimOptions& o = *r.options;
  EXPECT_EQ(o.port, 7);
  EXPECT_EQ(o.logPath, "/tmp/x.log");
  EXPECT_EQ(o.version, "ABC123");
  EXPECT_EQ(o.ratioTimes1000, 40000);
  EXPECT_EQ(o.params, (Payload{1, 2, 3, 4, 5, 6, 255}));
  EXPECT_EQ(o.fixedState, 15);
  EXPECT_EQ(o.fixedDuty, 254);
  EXPECT_DOUBLE_EQ(o.modelSeconds, 0.5);
  EXPECT_EQ(o.silentAfter, 3);
  EXPECT_EQ(o.silentForMs, 4500);
  EXPECT_EQ(o.badStartEvery, 1);
  EXPECT_EQ(o.badEndEvery, 4);
  EXPECT_EQ(o.splitPauseMs, 200);
  EXPECT_EQ(o.strayBytes, 3);
  EXPECT_EQ(o.strayEvery, 5);
  EXPECT_EQ(o.exitAfter, 9);
}

TEST(SimOptions, OutOfRangeOrMalformedValuesAreRefused) {
  const std::vector<std::vector<std::string>> bad = {
      {"--port", "0"},
      {"--port", "256"},
      {"--port", "1x"},
      {"--ratio", "65536"},
      {"--ratio", "-1"},
      {"--state", "16"},
      {"--duty", "256"},
      {"--params", "1,2,3,4,5,6"},
      {"--params", "1,2,3,4,5,6,7,8"},
      {"--params", "1,2,3,4,5,6,256"},
      {"--params", "1,,3,4,5,6,7"},
      {"--version", "1234567"},
      {"--version", ""},
      {"--model-seconds", "0"},
      {"--bad-start=0"},
      {"--exit-after", "0"},
      {"--split"},
      {"--frobnicate"},
      {"stray"},
      {"--silent-after", "1", "--silent-from", "5"},
  };
  for (const auto& args : bad) {
    const ParseResult r = ParseSimOptions(args);
    EXPECT_FALSE(r.options) << args[0] << (args.size() > 1 ? " " + args[1] : "");
    EXPECT_FALSE(r.error.empty());
  }
}

TEST(PortLinkPath, FollowsTheConfigFolderAndIgnoresARelativeOne) {
  EXPECT_EQ(PortLinkPath(3, "/tmp/cfg", "/home/u"), "/tmp/cfg/Voltander/ports/COM3");
  EXPECT_EQ(PortLinkPath(255, nullptr, "/home/u"), "/home/u/.config/Voltander/ports/COM255");
  EXPECT_EQ(PortLinkPath(1, "cfg", "/home/u"), "/home/u/.config/Voltander/ports/COM1");
}

}  // namespace
}  // namespace voltander::sim

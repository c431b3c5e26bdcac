#include <gtest/gtest.h>

#include <string>

#include "adapter/qt/PtyFixture.h"
#include "qt/PortNames.h"

namespace voltander {
namespace {

TEST(PortNamesTest, NumbersMapToTheDeviceFamiliesInBlocksOf32) {
  const struct {
    int n;
    const char* path;
  } cases[] = {
      {1, "/dev/ttyS0"},
      {2, "/dev/ttyS1"},
      {32, "/dev/ttyS31"},
      {33, "/dev/ttyUSB0"},
      {64, "/dev/ttyUSB31"},
      {65, "/dev/ttyACM0"},
      {96, "/dev/ttyACM31"},
      {97, ""},
      {255, ""},
      {0, ""},
      {-1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(DevicePathForPort(c.n), c.path) << "Comm " << c.n;
}

TEST(PortNamesTest, ALinkOverridesTheNumberingEvenWhenItsDeviceIsGone) {
  {
    test::PortLink link(3, "/dev/pts/424242");
    EXPECT_EQ(DevicePathForPort(3), PortLinkFolder() + "/COM3");
    EXPECT_EQ(DevicePathForPort(4), "/dev/ttyS3");
  }
  EXPECT_EQ(DevicePathForPort(3), "/dev/ttyS2");

  test::PortLink high(200, "/dev/null");
  EXPECT_EQ(DevicePathForPort(200), PortLinkFolder() + "/COM200");
}

}  // namespace
}  // namespace voltander

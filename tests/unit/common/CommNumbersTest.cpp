// The port numbering both ways (0: no number, "": no device): the number a device opens
// under is the one the controller search offers, and only a proper link name has one.
#include <gtest/gtest.h>

#include "common/CommNumbers.h"

namespace voltander::test {
namespace {

TEST(CommNumbers, EachFamilyHoldsThirtyTwoNumbersAndEveryOtherNameHasNone) {
  const std::pair<int, const char*> cases[] = {
      {1, "/dev/ttyS0"},     {32, "/dev/ttyS31"},   {33, "/dev/ttyUSB0"}, {64, "/dev/ttyUSB31"},
      {65, "/dev/ttyACM0"},  {96, "/dev/ttyACM31"}, {0, "/dev/ttyS32"},   {0, "/dev/ttyACM"},
      {0, "/dev/ttyUSB01"},  {0, "/dev/ttyUSB1x"},  {0, "/dev/ttyAMA0"},  {0, "/dev/pts/3"},
      {0, "/tmp/dev/ttyS1"}, {0, "/dev/ttyUSB100"}};
  for (const auto& [n, path] : cases) {
    EXPECT_EQ(StandardCommNumber(path), n) << path;
    EXPECT_EQ(StandardDevicePath(n), n ? path : "") << n;
  }
  for (int n : {-1, 0, 97, 255}) EXPECT_EQ(StandardDevicePath(n), "") << n;
  for (int n = 1; n <= 96; ++n) EXPECT_EQ(StandardCommNumber(StandardDevicePath(n)), n);
  const std::pair<const char*, int> links[] = {
      {"COM1", 1}, {"COM97", 97}, {"COM255", 255}, {"COM256", 0},  {"COM0", 0},  {"COM07", 0},
      {"COM", 0},  {"com7", 0},   {"COM7.bak", 0}, {"COM1000", 0}, {"XCOM7", 0}, {"COM-1", 0}};
  for (const auto& [name, n] : links) EXPECT_EQ(LinkNameNumber(name), n) << name;
  EXPECT_EQ(LinkName(97), "COM97");
}

}  // namespace
}  // namespace voltander::test

#include <gtest/gtest.h>

#include "link/StoredParameters.h"

namespace voltander {
namespace {

TEST(StoredParameterPositions, AnOrdinalPastTheListNamesNothing) {
  EXPECT_EQ(PositionForOrdinal(0, 3), -1);
  EXPECT_EQ(PositionForOrdinal(1, 3), 0);
  EXPECT_EQ(PositionForOrdinal(3, 3), 2);
  EXPECT_EQ(PositionForOrdinal(4, 3), std::nullopt);
  EXPECT_EQ(PositionForOrdinal(255, 255), 254);
}

}  // namespace
}  // namespace voltander

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/LeadingNumber.h"

namespace voltander {
namespace {

// Numbers beyond a double must come out infinite when too large and zero when too
// small, whether the size comes from the exponent or from the digits themselves.
TEST(LeadingNumber, OutOfRangeNumbersKeepTheirSide) {
  EXPECT_EQ(LeadingNumber(std::string(400, '9')), HUGE_VAL);
  EXPECT_EQ(LeadingNumber("-" + std::string(400, '9')), -HUGE_VAL);
  EXPECT_EQ(LeadingNumber("." + std::string(400, '0') + "1"), 0.0);
  EXPECT_EQ(LeadingNumber("1E400"), HUGE_VAL);
  EXPECT_EQ(LeadingNumber("1E-400"), 0.0);
  EXPECT_EQ(LeadingNumber("0.0001E-320"), 0.0);
  EXPECT_EQ(LeadingNumber(std::string(400, '1') + "E-800"), 0.0);
  EXPECT_EQ(LeadingNumber("." + std::string(400, '0') + "1E900"), HUGE_VAL);
}

}  // namespace
}  // namespace voltander

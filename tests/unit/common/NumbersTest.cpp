#include <gtest/gtest.h>

#include "common/LeadingNumber.h"
#include "common/SignedBlank.h"

namespace voltander {
namespace {

TEST(SignedBlank, WritesTheSignPlace) {
  EXPECT_EQ(SignedBlank(std::int64_t{4}), " 4");
  EXPECT_EQ(SignedBlank(-1.0f), "-1");
  EXPECT_EQ(SignedBlank(0.5f), " .5");
  EXPECT_EQ(SignedBlank(3.0120482f), " 3.012048");
}

TEST(LeadingNumber, IgnoresBlanksAnywhere) { EXPECT_EQ(LeadingNumber(" 1 2.5e1x"), 125.0); }

}  // namespace
}  // namespace voltander

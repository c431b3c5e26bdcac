#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "wizard/WizardAnswers.h"

namespace voltander {
namespace {

TEST(WizardAnswers, OnlyTheBareDigitOneToFivePicksABatteryType) {
  for (const char* text : {"1", "2", "3", "4", "5"}) {
    const BatteryType* type = BatteryTypeFor(text);
    ASSERT_NE(type, nullptr) << text;
    EXPECT_STREQ(type->answer, text);
  }
  for (const char* text : {"", "0", "6", " 4", "4 ", "04", "4.0", "+4", "NiMH"}) {
    EXPECT_EQ(BatteryTypeFor(text), nullptr) << '"' << text << '"';
  }
}

struct NumberCase {
  const char* text;
  std::optional<double> value;
};

TEST(WizardAnswers, CellCountAndCapacityKeepTheirRangesBothEndsIncluded) {
  const NumberCase cells[] = {{"1", 1},     {"12", 12},  {"9.5", 9.5},  {"6 cells", 6},
                              {"12.5", {}}, {"0.5", {}}, {"0.999", {}}, {"", {}},
                              {"abc", {}},  {"-3", {}},  {"1e300", {}}, {"12.0001", {}}};
  for (const auto& c : cells) EXPECT_EQ(AcceptCells(c.text), c.value) << c.text;
  const NumberCase capacities[] = {{"100", 100}, {"30000", 30000}, {"1 000", 1000},
                                   {"99", {}},   {"99.99", {}},    {"30000.5", {}},
                                   {"", {}},     {"mAh", {}},      {"-1000", {}}};
  for (const auto& c : capacities) EXPECT_EQ(AcceptCapacity(c.text), c.value) << c.text;
}

TEST(WizardAnswers, LoadIsHeldInSinglePrecisionAndCancelMeansNoLoad) {
  const struct {
    const char* text;
    std::optional<float> value;
  } cases[] = {{"", 0.0f},          {"0", 0.0f},     {"abc", 0.0f}, {"12000", 12000.0f},
               {"500.25", 500.25f}, {"12000.5", {}}, {"-1", {}},    {"-0.001", {}},
               {"1e40", {}},        {"-1e300", {}},  {"&H7FFF", {}}};
  for (const auto& c : cases) EXPECT_EQ(AcceptLoad(c.text), c.value) << c.text;
  // Within a float's reach of 12000 the single-precision value decides.
  EXPECT_EQ(AcceptLoad("12000.0001"), 12000.0f);
}

TEST(WizardAnswers, IntervalIsAutoOrARoundedNumberFromTwoTo256) {
  const struct {
    const char* text;
    std::optional<int> days;
  } cases[] = {{"Auto", 255}, {"2", 2},       {"256", 256},   {"255", 255},     {"1.5", 2},
               {"2.5", 2},    {"3.5", 4},     {"256.5", 256}, {"100 nap", 100}, {"auto", {}},
               {"AUTO", {}},  {" Auto", {}},  {"", {}},       {"1", {}},        {"1.49", {}},
               {"257", {}},   {"256.51", {}}, {"100000", {}}, {"1e300", {}},    {"-5", {}}};
  for (const auto& c : cases) EXPECT_EQ(AcceptInterval(c.text), c.days) << '"' << c.text << '"';
}

}  // namespace
}  // namespace voltander

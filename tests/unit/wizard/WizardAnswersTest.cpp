#include <gtest/gtest.h>

#include <optional>

#include "wizard/WizardAnswers.h"

namespace voltander {
namespace {

TEST(WizardAnswers, OnlyTheBareDigitOneToFivePicksABatteryType) {
  for (const char* text : {"1", "5"}) EXPECT_STREQ(BatteryTypeFor(text)->answer, text);
  for (const char* text : {"", "0", "6", " 4", "4 ", "04", "4.0", "+4"}) {
    EXPECT_EQ(BatteryTypeFor(text), nullptr) << '"' << text << '"';
  }
}

template <typename T>
struct Case {
  const char* text;
  std::optional<T> value;
};

TEST(WizardAnswers, NumbersKeepTheirRangesBothEndsIncluded) {
  const Case<double> cells[] = {{"1", 1},      {"12", 12},      {"9.5", 9.5}, {"6 cells", 6},
                                {"0.999", {}}, {"12.0001", {}}, {"abc", {}},  {"1e300", {}}};
  const Case<double> capacities[] = {
      {"100", 100}, {"30000", 30000}, {"1 000", 1000}, {"99.99", {}}, {"-1000", {}}};
  // The load is held in single precision, Cancel means none.
  const Case<float> loads[] = {
      {"", 0.0f},          {"abc", 0.0f},   {"12000", 12000.0f}, {"12000.0001", 12000.0f},
      {"500.25", 500.25f}, {"12000.5", {}}, {"-0.001", {}},      {"1e40", {}},
      {"&H7FFF", {}}};
  const Case<int> intervals[] = {{"Auto", 255}, {"2", 2},      {"256", 256},   {"1.5", 2},
                                 {"2.5", 2},    {"3.5", 4},    {"256.5", 256}, {"100 nap", 100},
                                 {"AUTO", {}},  {" Auto", {}}, {"1.49", {}},   {"256.51", {}},
                                 {"1e300", {}}, {"-5", {}}};
  for (const auto& c : cells) EXPECT_EQ(AcceptCells(c.text), c.value) << c.text;
  for (const auto& c : capacities) EXPECT_EQ(AcceptCapacity(c.text), c.value) << c.text;
  for (const auto& c : loads) EXPECT_EQ(AcceptLoad(c.text), c.value) << c.text;
  for (const auto& c : intervals)
    EXPECT_EQ(AcceptInterval(c.text), c.value) << '"' << c.text << '"';
}

}  // namespace
}  // namespace voltander

#include <gtest/gtest.h>

#include "fakes/Fakes.h"
#include "params/StepTables.h"

namespace voltander {
namespace {

struct CodeCase {
  int row;
  int code;
};

TEST(StepTables, EveryRowCarriesItsCode) {
  VoltageTable v{};
  CurrentTable c{};
  ComputeStepTables(4.0f, v, c);
  const int baseCodes[28] = {176, 177, 178, 179, 180, 181, 144, 145, 183, 146, 184, 147, 148, 149,
                             186, 150, 187, 151, 152, 153, 189, 154, 190, 155, 156, 157, 158, 159};
  for (int row = 0; row < 28; ++row) EXPECT_EQ(v[row][1], baseCodes[row]) << "row " << row;
  for (int row = 28; row < kVoltageRows; ++row) {
    EXPECT_EQ(v[row][1], baseCodes[row - 26] & 0xEF) << "row " << row;
  }
  const CodeCase spot[] = {{2, 178}, {28, 162}, {6, 144}, {32, 128}, {27, 159}, {53, 143}};
  for (const auto& s : spot) EXPECT_EQ(v[s.row][1], s.code);
  for (int row = 0; row < kCurrentRows; ++row) EXPECT_EQ(c[row][1], 160 + row);
}

TEST(StepTables, AllVoltageCodesAreDistinct) {
  VoltageTable v{};
  CurrentTable c{};
  ComputeStepTables(4.0f, v, c);
  for (int a = 0; a < kVoltageRows; ++a)
    for (int b = a + 1; b < kVoltageRows; ++b) EXPECT_NE(v[a][1], v[b][1]) << a << " " << b;
}

TEST(StepTables, DividedRowsScaleTheBaseRowsBySingleProducts) {
  VoltageTable v{};
  CurrentTable c{};
  ComputeStepTables(4.0f, v, c);
  EXPECT_EQ(v[1][0], 0.20833f);
  EXPECT_EQ(v[28][0], 4.0f * 0.4166f);
  EXPECT_EQ(v[53][0], 4.0f * 3.593f);
  ComputeStepTables(5.0f, v, c);
  EXPECT_EQ(v[32][0], 6.25f);
  EXPECT_EQ(c[1][0], 0.07f);
  EXPECT_EQ(c[15][0], 1.0f);
}

class BuildStepTablesTest : public ::testing::Test {
 protected:
  test::Harness h;
  Folap& f = *h.form;
};

TEST_F(BuildStepTablesTest, FillsTheSevenListsWithTheirTexts) {
  BuildStepTables(f);
  ASSERT_EQ(f.Umax.count(), 52u);
  ASSERT_EQ(f.Umin.count(), 52u);
  ASSERT_EQ(f.Igyors.count(), 15u);
  ASSERT_EQ(f.Inormal.count(), 15u);
  ASSERT_EQ(f.Thiszt.count(), 255u);
  ASSERT_EQ(f.Minta.count(), 255u);
  ASSERT_EQ(f.Tkarbantarto.count(), 255u);
  EXPECT_EQ(f.Umax.text(0), "0.417 V");
  EXPECT_EQ(f.Umax.text(25), "3.593 V");
  EXPECT_EQ(f.Umax.text(26), "1.666 V*");
  EXPECT_EQ(f.Umax.text(51), "14.372 V*");
  EXPECT_EQ(f.Umin.entries(), f.Umax.entries());
  EXPECT_EQ(f.Igyors.text(0), "0.070 A");
  EXPECT_EQ(f.Igyors.text(14), "1.000 A");
  EXPECT_EQ(f.Thiszt.text(0), "1 s");
  EXPECT_EQ(f.Thiszt.text(254), "255 s");
  EXPECT_EQ(f.Minta.text(0), "1. s");
  EXPECT_EQ(f.Tkarbantarto.text(0), "2. napon");
  EXPECT_EQ(f.Tkarbantarto.text(254), "256. napon");
}

TEST_F(BuildStepTablesTest, ARebuildRewritesTextsInPlaceAndKeepsSelections) {
  BuildStepTables(f);
  f.Umax.setSelectedSilently(30);
  f.Umin.setSelectedSilently(3);
  f.Minta.setSelectedSilently(7);
  int rewrites = 0;
  f.Umax.entryChanged = [&](std::size_t) { ++rewrites; };

  h.kozos.DividerRatio = 5.0f;
  BuildStepTables(f);

  EXPECT_EQ(f.Umax.count(), 52u);
  EXPECT_EQ(f.Umax.selected(), 30);
  EXPECT_EQ(f.Umin.selected(), 3);
  EXPECT_EQ(f.Minta.selected(), 7);
  EXPECT_EQ(f.Umax.text(30), "6.250 V*");
  EXPECT_EQ(f.Umax.text(0), "0.417 V");
  EXPECT_EQ(f.Umax.text(26), "2.083 V*");
  EXPECT_EQ(f.Umax.text(51), "17.965 V*");
  EXPECT_EQ(rewrites, 26) << "only the divided entries change text";

  rewrites = 0;
  BuildStepTables(f);
  EXPECT_EQ(rewrites, 0) << "an unchanged ratio changes nothing visible";
}

TEST_F(BuildStepTablesTest, ListTextsFollowTheLocaleSeparator) {
  h.desktop.separator = ",";
  BuildStepTables(f);
  EXPECT_EQ(f.Umax.text(0), "0,417 V");
  EXPECT_EQ(f.Inormal.text(3), "0,270 A");
}

}  // namespace
}  // namespace voltander

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "fakes/Fakes.h"
#include "params/StepTables.h"

namespace voltander {
namespace {

// The texts of the given entries, joined by " | ".
std::string Texts(const ListBox& list, std::initializer_list<int> entries) {
  std::string s;
  for (int e : entries) s += (s.empty() ? "" : " | ") + list.text(e);
  return s;
}

TEST(StepTables, BuildFillsTheSevenListsAndARebuildRewritesOnlyDividedTextsInPlace) {
  test::Harness h;
  Folap& f = *h.form;
  BuildStepTables(f.kozos, f.lists, ".");
  ASSERT_EQ(f.Igyors.count(), 15u);
  for (const ListBox* l : {&f.Thiszt, &f.Minta, &f.Tkarbantarto}) ASSERT_EQ(l->count(), 255u);
  EXPECT_EQ(f.Umin.entries(), f.Umax.entries());
  EXPECT_EQ(f.Inormal.entries(), f.Igyors.entries());
  EXPECT_EQ(Texts(f.Umax, {0, 25, 26, 51}), "0.417 V | 3.593 V | 1.666 V* | 14.372 V*");
  EXPECT_EQ(Texts(f.Igyors, {0, 14}), "0.070 A | 1.000 A");
  EXPECT_EQ(Texts(f.Thiszt, {0, 254}), "1 s | 255 s");
  EXPECT_EQ(Texts(f.Minta, {0, 254}), "1. s | 255. s");
  EXPECT_EQ(Texts(f.Tkarbantarto, {0, 254}), "2. napon | 256. napon");

  f.Umax.setSelectedSilently(30);
  f.Minta.setSelectedSilently(7);
  int rewrites = 0;
  f.Umax.entryChanged = [&](std::size_t) { ++rewrites; };
  h.kozos.DividerRatio = 5.0f;
  BuildStepTables(f.kozos, f.lists, ".");
  EXPECT_EQ(f.Umax.count(), 52u);
  EXPECT_EQ(f.Umax.selected(), 30);
  EXPECT_EQ(f.Minta.selected(), 7);
  EXPECT_EQ(Texts(f.Umax, {0, 25, 26, 30, 51}),
            "0.417 V | 3.593 V | 2.083 V* | 6.250 V* | 17.965 V*");
  EXPECT_EQ(rewrites, 26);

  rewrites = 0;
  BuildStepTables(f.kozos, f.lists, ".");
  EXPECT_EQ(rewrites, 0) << "an unchanged ratio changes nothing visible";
  BuildStepTables(f.kozos, f.lists, ",");
  EXPECT_EQ(Texts(f.Inormal, {0, 3}), "0,070 A | 0,270 A");
}

}  // namespace
}  // namespace voltander

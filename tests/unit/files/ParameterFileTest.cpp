#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "files/ParameterFile.h"
#include "platform/FileStore.h"

namespace voltander {
namespace {

std::string Lines(const std::vector<std::string>& lines, const char* end = "\r\n") {
  std::string s;
  for (const std::string& l : lines) s += l + end;
  return s;
}

// Entry counts in file order: Umin, Umax, Igyors, Inormal, Thiszt, Tkarbantarto, Minta.
ParameterFileRead Read(const std::string& bytes) {
  return ReadParameterFile(bytes, {52, 52, 15, 15, 255, 255, 255});
}

TEST(ParameterFile, LinesEndAtCrWithOrWithoutLfAndMissingLinesAre62) {
  EXPECT_EQ(Read(" 4\r").error, kPastEnd);  // a final CR opens no further line
  EXPECT_EQ(Read(Lines({" 4", " 1", " 2", " 3", " 4", " 5", " 6", " 7"}, "\r")).error, kFileOk);
  // The last line may lack its end; what follows the eighth is never looked at.
  const ParameterFileRead r =
      Read(Lines({" 4", " 1", " 2", " 3", " 4", " 5", " 6"}) + " 7\rnonsense\r\n 99999\r\n");
  EXPECT_EQ(r.error, kFileOk);
  EXPECT_EQ(r.positions, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));

  // LF alone: line 1 takes the whole file and its digits run together up to the minus.
  const ParameterFileRead lf = Read(Lines({" 4", " 0", " 25", "-1", " 3"}, "\n"));
  EXPECT_EQ(lf.error, kPastEnd);
  EXPECT_EQ(lf.ratio, 4025.0f);
  EXPECT_TRUE(lf.positions.empty());
}

TEST(ParameterFile, PositionsRoundHalfToEvenAndMustFitTheirOwnList) {
  // clang-format off
  const struct { std::size_t line; const char* text; int error; int position; } cases[] = {
      // line: 0 = Umin ... 6 = Minta
      {0, " 2.5", kFileOk, 2},       {0, " 3.5", kFileOk, 4},     {0, "-1", kFileOk, -1},
      {0, "x", kFileOk, 0},          {1, " 51.4", kFileOk, 51},   {0, " 52", kOutOfRange, 0},
      {0, " 60", kOutOfRange, 0},    {0, "-1.6", kOutOfRange, 0}, {2, " 15", kOutOfRange, 0},
      {6, " 254", kFileOk, 254},     {6, " 255", kOutOfRange, 0}, {0, " 40000", kOverflow, 0},
      {0, " 32767.5", kOverflow, 0}, {3, " 1E400", kOverflow, 0}};
  // clang-format on
  for (const auto& c : cases) {
    std::vector<std::string> lines(8, " 1");
    lines[c.line + 1] = c.text;
    const ParameterFileRead r = Read(Lines(lines));
    EXPECT_EQ(r.error, c.error) << c.text;
    EXPECT_EQ(r.positions.size(), c.error ? c.line : 7u) << c.text;
    if (!c.error) { EXPECT_EQ(r.positions[c.line], c.position) << c.text; }
  }
}

TEST(ParameterFile, RatioThatDoesNotFitAFloatIsRefusedUnapplied) {
  for (const char* line : {" 1E39", "-1E39", " 1E400", " 1E38"}) {
    const ParameterFileRead r = Read(Lines({line, " 1"}));
    EXPECT_EQ(r.error, kOverflow) << line;
    EXPECT_FALSE(r.ratio.has_value()) << line;
  }
  // Large, but every divided step built from it is still a float.
  EXPECT_EQ(Read(Lines({" 9E37"})).ratio, 9e37f);
  EXPECT_EQ(Read(Lines({"abc"})).ratio, 0.0f);
  EXPECT_EQ(Read(std::string(kMaxParameterFileBytes, '7')).error, kOverflow)
      << "an endless line of digits is an overflow, not a zero";
}

}  // namespace
}  // namespace voltander

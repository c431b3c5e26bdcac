#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/SignedBlank.h"
#include "files/ParameterFile.h"
#include "platform/FileStore.h"

namespace voltander {
namespace {

// Entry counts in file order: Umin, Umax, Igyors, Inormal, Thiszt, Tkarbantarto, Minta.
constexpr FilePositions kCounts{52, 52, 15, 15, 255, 255, 255};

std::string Lines(std::initializer_list<std::string> lines, const char* end = "\r\n") {
  std::string s;
  for (const std::string& l : lines) s += l + end;
  return s;
}

ParameterFileRead Read(const std::string& bytes) { return ReadParameterFile(bytes, kCounts); }

TEST(ParameterFile, DefaultStateIsWrittenByteForByte) {
  EXPECT_EQ(WriteParameterFile(4.0f, {-1, -1, -1, -1, -1, -1, -1}),
            " 4\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n");
}

TEST(ParameterFile, WrittenSetsReadBackToSevenSignificantDigits) {
  const FilePositions positions{0, 51, 14, 0, 254, 100, 7};
  for (float ratio : {3.0120482f, 0.5f, -2.25f, 1.0e-7f, 12345678.0f}) {
    const ParameterFileRead r = Read(WriteParameterFile(ratio, positions));
    EXPECT_EQ(r.error, kFileOk) << ratio;
    ASSERT_TRUE(r.ratio.has_value()) << ratio;
    EXPECT_EQ(SignedBlank(*r.ratio), SignedBlank(ratio));
    EXPECT_NEAR(*r.ratio, ratio, std::fabs(ratio) * 1e-6f);
    EXPECT_EQ(r.positions, std::vector<int>(positions.begin(), positions.end()));
  }
}

TEST(ParameterFile, LinesEndAtCrWithOrWithoutLfAndMissingLinesAre62) {
  const ParameterFileRead three = Read(Lines({" 5", " 3", " 30"}));
  EXPECT_EQ(three.error, kPastEnd);
  EXPECT_EQ(three.ratio, 5.0f);
  EXPECT_EQ(three.positions, (std::vector<int>{3, 30}));
  EXPECT_EQ(Read("").error, kPastEnd);
  EXPECT_EQ(Read(" 4\r").error, kPastEnd);  // a final CR opens no further line

  EXPECT_EQ(Read(Lines({" 4", " 1", " 2", " 3", " 4", " 5", " 6", " 7"}, "\r")).error, kFileOk);
  // The last line may lack its end; what follows the eighth is never looked at.
  const ParameterFileRead r =
      Read(Lines({" 4", " 1", " 2", " 3", " 4", " 5", " 6"}) + " 7\rnonsense\r\n 99999\r\n");
  EXPECT_EQ(r.error, kFileOk);
  EXPECT_EQ(r.positions, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));

  // LF alone: line 1 takes the whole file, its blanks and line feeds are skipped and
  // the digits of several lines run together up to the first minus sign.
  const ParameterFileRead lf = Read(Lines({" 4", " 0", " 25", "-1", " 3"}, "\n"));
  EXPECT_EQ(lf.error, kPastEnd);
  EXPECT_EQ(lf.ratio, 4025.0f);
  EXPECT_TRUE(lf.positions.empty());
}

TEST(ParameterFile, PositionsRoundHalfToEvenAndMustFitTheirOwnList) {
  struct Case {
    std::size_t line;  // 0 = Umin ... 6 = Minta
    const char* text;
    int error;
    int position;
  };
  const Case cases[] = {
      {0, " 2.5", kFileOk, 2},     {0, " 3.5", kFileOk, 4},       {0, "-1", kFileOk, -1},
      {0, "x", kFileOk, 0},        {0, " &H1F", kFileOk, 31},     {1, " 51.4", kFileOk, 51},
      {0, " 52", kOutOfRange, 0},  {0, " 60", kOutOfRange, 0},    {0, "-1.6", kOutOfRange, 0},
      {2, " 15", kOutOfRange, 0},  {6, " 254", kFileOk, 254},     {6, " 255", kOutOfRange, 0},
      {0, " 40000", kOverflow, 0}, {0, " 32767.5", kOverflow, 0}, {3, " 1E400", kOverflow, 0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines(8, " 1");
    lines[c.line + 1] = c.text;
    std::string file;
    for (const std::string& l : lines) file += l + "\r\n";
    const ParameterFileRead r = Read(file);
    EXPECT_EQ(r.error, c.error) << c.text;
    EXPECT_EQ(r.positions.size(), c.error ? c.line : 7u) << c.text;
    if (!c.error) {
      EXPECT_EQ(r.positions[c.line], c.position) << c.text;
    }
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
  EXPECT_EQ(Read(Lines({" 4.5D0"})).ratio, 4.5f);
}

TEST(ParameterFile, AnEndlessLineOfDigitsIsAnOverflowNotAZero) {
  EXPECT_EQ(Read(std::string(kMaxParameterFileBytes, '7')).error, kOverflow);
}

}  // namespace
}  // namespace voltander

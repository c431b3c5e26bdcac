#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Version.h"
#include "fakes/Fakes.h"
#include "files/ParameterFile.h"
#include "params/StepTables.h"
#include "platform/FileStore.h"

namespace voltander {
namespace {

using Strings = std::vector<std::string>;
const std::vector<int> kBefore{1, 2, 3, 4, 5, 6, 7};
const std::string kError = "Eror in File funktions ! Error Code: ";

struct FileCommands : ::testing::Test {
  void SetUp() override {
    f.Form_Load();
    h.select(kBefore);
  }
  Strings texts() { return h.dialogs.texts(); }
  // Picks /data/name in the next file dialog and runs the command.
  void run(Button& command, const std::string& name, const std::string& title = "") {
    h.dialogs.files.push_back({false, "/data/" + name, title.empty() ? name : title});
    command.click();
  }
  void rebuildAt(float ratio) {
    h.kozos.DividerRatio = ratio;
    BuildStepTables(f.kozos, f.lists, ".");
  }
  test::Harness h;
  Folap& f = *h.form;
};

TEST_F(FileCommands, SaveThenOpenRestoresTheSetAndTheRatio) {
  h.select({-1, -1, -1, -1, -1, -1, -1});
  run(f.FMentes, "a.vlt");
  EXPECT_EQ(h.files.files["/data/a.vlt"], " 4\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n");
  EXPECT_EQ(f.window.title(), FileTitle("a.vlt", f.version));

  rebuildAt(3.0120482f);
  h.select({3, 40, 14, -1, 9, 0, 254});
  run(f.FMentes, "set.vlt");
  rebuildAt(4.0f);
  h.select({0, 0, 0, 0, 0, 0, 0});
  f.Umin.setBackground(kLightRed);  // a wizard mark, cleared as by a user's choice

  run(f.FBe, "set.vlt");
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(h.selections(), (std::vector<int>{3, 40, 14, -1, 9, 0, 254}));
  EXPECT_FLOAT_EQ(h.kozos.DividerRatio, 3.012048f);
  EXPECT_EQ(f.Umax.text(40), "6.901 V*") << "rebuilt from the file's ratio, not 9.164 V*";
  EXPECT_FALSE(f.Umin.background().has_value());
  EXPECT_EQ(f.window.title(), FileTitle("set.vlt", f.version));
  EXPECT_EQ(h.journal.events, (Strings{"saved a.vlt", "saved set.vlt", "opened set.vlt"}));
}

TEST_F(FileCommands, CancelChangesNothingOverwriteNeedsOkAndOpenNeedsTheExactName) {
  const std::string before = f.window.title();
  f.FMentes.click();  // both dialogs cancelled
  f.FBe.click();
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_TRUE(h.files.files.empty());

  h.files.files["/data/a.vlt"] = "old";
  h.dialogs.answers = {Answer::Cancel, Answer::Ok};
  run(f.FMentes, "a.vlt");
  EXPECT_EQ(h.files.files["/data/a.vlt"], "old");
  EXPECT_EQ(f.window.title(), before);
  run(f.FMentes, "a.vlt");
  EXPECT_EQ(h.files.files["/data/a.vlt"].substr(0, 8), " 4\r\n 1\r\n");

  // The name the folder holds, letter case included.
  h.dialogs.shown.clear();
  f.window.setTitle(before);
  h.files.files["/data/a.vlt"] = " 5\r\n 1\r\n 1\r\n 1\r\n 1\r\n 1\r\n 1\r\n 1\r\n";
  run(f.FBe, "a.vlt", "A.vlt");
  EXPECT_EQ(texts(), Strings{"'A.vlt' nem létezik!\r\nAdjon meg létező file-t"});
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
  EXPECT_EQ(f.window.title(), before);
  EXPECT_FLOAT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_EQ(h.selections(), kBefore);
}

TEST_F(FileCommands, AFailingLineKeepsWhatWasAppliedBeforeIt) {
  // clang-format off
  const struct { const char* file; int code; float ratio; const char* divided; std::vector<int> selections; } cases[] = {
      {" 5\r\n 10\r\n 30\r\n", 62, 5.0f, "2.083 V*", {10, 30, 3, 4, 5, 6, 7}},
      {" 6\r\n 60\r\n 1\r\n", 380, 6.0f, "2.500 V*", kBefore},
      {" 7\r\n 0\r\n 40000\r\n", 6, 7.0f, "2.916 V*", {0, 2, 3, 4, 5, 6, 7}},
      {" 1E39\r\n 1\r\n", 6, 4.0f, "1.666 V*", kBefore}};  // a ratio that does not fit: nothing applied
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    rebuildAt(4.0f);
    h.select(kBefore);
    h.dialogs.shown.clear();
    h.files.files["/data/bad.vlt"] = c.file;
    run(f.FBe, "bad.vlt");
    ASSERT_EQ(texts(), Strings{kError + std::to_string(c.code)});
    EXPECT_EQ(h.dialogs.shown[0].icon, Icon::None);
    EXPECT_EQ(h.kozos.DividerRatio, c.ratio);
    EXPECT_EQ(f.Umax.text(26), c.divided);
    EXPECT_EQ(h.selections(), c.selections);
    EXPECT_EQ(f.window.title(), FileTitle("bad.vlt", f.version));
  }
}

TEST_F(FileCommands, StoreFailuresShowTheirCodeAndAccessErrorsTheDriveMessage) {
  h.files.failReplaceWith = kPathFileAccess;
  run(f.FMentes, "ro.vlt");
  h.files.failReplaceWith = kDiskFull;
  run(f.FMentes, "full.vlt");
  h.files.files["/data/locked.vlt"] = " 5\r\n";
  h.files.failReadWith = kPermissionDenied;
  run(f.FBe, "locked.vlt");
  EXPECT_EQ(texts(), (Strings{"Drive Problem ! No Write in Drive.", kError + "61", kError + "70"}));
  EXPECT_FLOAT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_TRUE(h.journal.events.empty()) << "failures are not told as done";

  // Past the read limit the file counts as ended: the blanks are all line 1 holds.
  h.files.failReadWith = 0;
  h.dialogs.shown.clear();
  h.files.files["/data/huge.vlt"] = std::string(kMaxParameterFileBytes, ' ') + "5\r\n";
  run(f.FBe, "huge.vlt");
  EXPECT_EQ(texts(), Strings{kError + "62"});
  EXPECT_EQ(h.kozos.DividerRatio, 0.0f);
}

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

#include <gtest/gtest.h>

#include <string>

#include "common/Version.h"
#include "fakes/Fakes.h"
#include "files/ParameterFile.h"
#include "params/StepTables.h"

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

}  // namespace
}  // namespace voltander

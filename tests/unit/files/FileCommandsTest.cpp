#include <gtest/gtest.h>

#include <string>

#include "common/Version.h"
#include "fakes/Fakes.h"
#include "files/ParameterFile.h"
#include "params/StepTables.h"

namespace voltander {
namespace {

const std::vector<int> kBefore{1, 2, 3, 4, 5, 6, 7};

struct FileCommands : ::testing::Test {
  void SetUp() override {
    h.form->Form_Load();
    select(kBefore);
  }
  Folap& f() { return *h.form; }
  // In file order: Umin, Umax, Igyors, Inormal, Thiszt, Tkarbantarto, Minta.
  std::array<ListBox*, 7> lists() {
    return {&f().Umin,   &f().Umax,         &f().Igyors, &f().Inormal,
            &f().Thiszt, &f().Tkarbantarto, &f().Minta};
  }
  void select(const std::vector<int>& p) {
    for (std::size_t n = 0; n < 7; ++n) lists()[n]->select(p[n]);
  }
  std::vector<int> selections() {
    std::vector<int> s;
    for (ListBox* l : lists()) s.push_back(l->selected());
    return s;
  }
  std::vector<std::string> texts() {
    std::vector<std::string> t;
    for (const auto& m : h.dialogs.shown) t.push_back(m.text);
    return t;
  }
  void open(const std::string& name) {
    h.dialogs.files.push_back({false, "/data/" + name, name});
    f().FBe.click();
  }
  void save(const std::string& name) {
    h.dialogs.files.push_back({false, "/data/" + name, name});
    f().FMentes.click();
  }
  test::Harness h;
};

TEST_F(FileCommands, CancellingEitherDialogChangesAndShowsNothing) {
  const std::string before = f().window.title();
  f().FMentes.click();
  f().FBe.click();
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_TRUE(h.files.files.empty());
  EXPECT_EQ(f().window.title(), before);
  EXPECT_EQ(selections(), kBefore);
}

TEST_F(FileCommands, SaveThenOpenRestoresTheSetAndTheRatio) {
  select({-1, -1, -1, -1, -1, -1, -1});
  save("a.vlt");
  EXPECT_EQ(h.files.files["/data/a.vlt"], " 4\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n-1\r\n");
  EXPECT_EQ(f().window.title(), FileTitle("a.vlt", f().version));

  h.kozos.DividerRatio = 3.0120482f;
  BuildStepTables(f().kozos, f().lists, ".");
  select({3, 40, 14, -1, 9, 0, 254});
  save("set.vlt");
  h.kozos.DividerRatio = 4.0f;
  BuildStepTables(f().kozos, f().lists, ".");
  const std::string entry40At4 = f().Umax.text(40);
  select({0, 0, 0, 0, 0, 0, 0});
  f().Umin.setBackground(kLightRed);  // a wizard mark, cleared as by a user's choice

  open("set.vlt");
  EXPECT_TRUE(h.dialogs.shown.empty());
  EXPECT_EQ(selections(), (std::vector<int>{3, 40, 14, -1, 9, 0, 254}));
  EXPECT_FLOAT_EQ(h.kozos.DividerRatio, 3.012048f);
  EXPECT_NE(f().Umax.text(40), entry40At4) << "rebuilt from the file's ratio";
  EXPECT_FALSE(f().Umin.background().has_value());
  EXPECT_EQ(f().window.title(), FileTitle("set.vlt", f().version));
  EXPECT_EQ(h.journal.events,
            (std::vector<std::string>{"saved a.vlt", "saved set.vlt", "opened set.vlt"}));
}

TEST_F(FileCommands, OverwriteNeedsOkAndCancelWritesNothing) {
  h.files.files["/data/a.vlt"] = "old";
  const std::string before = f().window.title();
  h.dialogs.answers.push_back(Answer::Cancel);
  save("a.vlt");
  ASSERT_EQ(texts(), std::vector<std::string>{"'a.vlt' már létezik!\r\nFelül írja?"});
  EXPECT_EQ(h.dialogs.shown[0].buttons, Buttons::OkCancel);
  EXPECT_EQ(h.files.files["/data/a.vlt"], "old");
  EXPECT_EQ(f().window.title(), before);

  h.dialogs.answers.push_back(Answer::Ok);
  save("a.vlt");
  EXPECT_EQ(h.files.files["/data/a.vlt"].substr(0, 8), " 4\r\n 1\r\n");
}

TEST_F(FileCommands, OpenOfAFileThatIsNotThereUnderThatExactNameChangesNothing) {
  h.files.files["/data/a.vlt"] = " 5\r\n 1\r\n 1\r\n 1\r\n 1\r\n 1\r\n 1\r\n 1\r\n";
  const std::string before = f().window.title();
  h.dialogs.files.push_back({false, "/data/a.vlt", "A.vlt"});
  f().FBe.click();
  EXPECT_EQ(texts(), std::vector<std::string>{"'A.vlt' nem létezik!\r\nAdjon meg létező file-t"});
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Critical);
  EXPECT_EQ(f().window.title(), before);
  EXPECT_FLOAT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_EQ(selections(), kBefore);
}

TEST_F(FileCommands, AFailingLineKeepsWhatWasAppliedBeforeIt) {
  const struct {
    const char* file;
    int code;
    float ratio;
    std::vector<int> selections;
  } cases[] = {{" 5\r\n 10\r\n 30\r\n", 62, 5.0f, {10, 30, 3, 4, 5, 6, 7}},
               {" 6\r\n 60\r\n 1\r\n", 380, 6.0f, kBefore},
               {" 7\r\n 0\r\n 40000\r\n", 6, 7.0f, {0, 2, 3, 4, 5, 6, 7}},
               // A ratio that does not fit is not applied, and nothing after it.
               {" 1E39\r\n 1\r\n", 6, 4.0f, kBefore}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    h.kozos.DividerRatio = 4.0f;
    BuildStepTables(f().kozos, f().lists, ".");
    select(kBefore);
    h.dialogs.shown.clear();
    h.files.files["/data/bad.vlt"] = c.file;
    open("bad.vlt");
    ASSERT_EQ(texts(), std::vector<std::string>{"Eror in File funktions ! Error Code: " +
                                                std::to_string(c.code)});
    EXPECT_EQ(h.dialogs.shown[0].icon, Icon::None);
    EXPECT_EQ(h.kozos.DividerRatio, c.ratio);
    EXPECT_EQ(f().Umax.text(26), VoltageEntryText(h.kozos.VoltageSteps, 28, "."));
    EXPECT_EQ(selections(), c.selections);
    EXPECT_EQ(f().window.title(), FileTitle("bad.vlt", f().version));
  }
}

TEST_F(FileCommands, StoreFailuresShowTheirCodeAndAccessErrorsTheDriveMessage) {
  h.files.failReplaceWith = kPathFileAccess;
  save("ro.vlt");
  h.files.failReplaceWith = kDiskFull;
  save("full.vlt");
  h.files.files["/data/locked.vlt"] = " 5\r\n";
  h.files.failReadWith = kPermissionDenied;
  open("locked.vlt");
  EXPECT_EQ(texts(), (std::vector<std::string>{"Drive Problem ! No Write in Drive.",
                                               "Eror in File funktions ! Error Code: 61",
                                               "Eror in File funktions ! Error Code: 70"}));
  EXPECT_FLOAT_EQ(h.kozos.DividerRatio, 4.0f);
  EXPECT_TRUE(h.journal.events.empty()) << "failures are not told as done";
}

TEST_F(FileCommands, OnlyTheStartOfAHugeFileIsRead) {
  // Past the read limit the file counts as ended: the blanks are all line 1 holds.
  h.files.files["/data/huge.vlt"] = std::string(kMaxParameterFileBytes, ' ') + "5\r\n";
  open("huge.vlt");
  EXPECT_EQ(texts(), std::vector<std::string>{"Eror in File funktions ! Error Code: 62"});
  EXPECT_EQ(h.kozos.DividerRatio, 0.0f);
}

}  // namespace
}  // namespace voltander

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <tuple>

#include "adapter/Rig.h"
#include "qt/platform/QtDialogs.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

// A box closed by its close box, or left without a click (as when the program ends
// and leaves every event loop), must never count as a yes.
TEST(QtDialogsTest, MessageBoxShowsLinesTitleAndIconAndReportsTheAnswer) {
  constexpr auto kCloseBox = QMessageBox::NoButton, kLeft = QMessageBox::Abort;
  const std::tuple<Buttons, QMessageBox::StandardButton, Answer> cases[] = {
      {Buttons::Ok, QMessageBox::Ok, Answer::Ok},
      {Buttons::OkCancel, QMessageBox::Cancel, Answer::Cancel},
      {Buttons::OkCancel, QMessageBox::Ok, Answer::Ok},
      {Buttons::YesNo, QMessageBox::No, Answer::No},
      {Buttons::YesNo, QMessageBox::Yes, Answer::Yes},
      {Buttons::YesNo, kCloseBox, Answer::No},
      {Buttons::OkCancel, kCloseBox, Answer::Cancel},
      {Buttons::YesNo, kLeft, Answer::No},
      {Buttons::OkCancel, kLeft, Answer::Cancel}};
  QtDialogs dialogs;
  for (const auto& [buttons, press, expected] : cases) {
    SCOPED_TRACE(press);
    Answer answer{};
    WithModal<QMessageBox>(
        [&](QMessageBox& box) {
          EXPECT_TRUE(box.text() == "a\nb" && box.textFormat() == Qt::PlainText);
          EXPECT_EQ(box.windowTitle(), "Voltander");
          EXPECT_EQ(box.icon(), QMessageBox::Question);
          if (press == kCloseBox) return void(box.close());
          if (press == kLeft) return box.hide();
          ASSERT_NE(box.button(press), nullptr);
          box.button(press)->click();
        },
        [&] { answer = dialogs.message("a\r\nb", buttons, Icon::Question); });
    EXPECT_EQ(answer, expected);
  }
}

TEST(QtDialogsTest, InputBoxGivesTheTextOrEmptyOnCancel) {
  QtDialogs dialogs;
  for (const bool accept : {true, false}) {
    std::string got;
    WithModal<QInputDialog>(
        [accept](QInputDialog& d) {
          EXPECT_EQ(d.windowTitle(), "Title");
          EXPECT_EQ(d.labelText(), "Prompt");
          EXPECT_EQ(d.textValue(), "6");
          d.setTextValue("12");
          accept ? d.accept() : d.reject();
        },
        [&] { got = dialogs.input("Title", "Prompt", "6"); });
    EXPECT_EQ(got, accept ? "12" : "");
  }
}

// Typed by the user into the name field (selectFile leaves a focused field alone).
void TypeName(QFileDialog& d, const std::string& folder, const char* name) {
  d.setDirectory(QString::fromStdString(folder));
  Child<QLineEdit>(d, "fileNameEdit")->setText(name);
}

// "All files" must mean every file, not only names with a dot.
TEST(QtDialogsTest, SaveDialogPresetsNameAndFiltersAndLeavesTheOverwriteQuestionToTheProgram) {
  TempDir dir("voltander-dialog");
  FileChoice saved;
  WithModal<QFileDialog>(
      [&](QFileDialog& d) {
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(d.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(d.nameFilters(), QStringList({"Voltander File (*.vlt)", "Minden File (*)"}));
        EXPECT_EQ(d.selectedNameFilter(), "Voltander File (*.vlt)");
        EXPECT_TRUE(d.selectedFiles().value(0).endsWith("/Modositott.vlt"));
        TypeName(d, dir.path(), "akku.vlt");
        static_cast<QDialog&>(d).accept();  // QFileDialog hides its override
      },
      [&] {
        saved = QtDialogs().saveFile("Voltander File (*.vlt)|*.vlt|Minden File (*.*)|*.*",
                                     "Modositott.vlt");
      });
  EXPECT_FALSE(saved.cancelled);
  EXPECT_EQ(saved.path, dir.file("akku.vlt"));
  EXPECT_EQ(saved.fileTitle, "akku.vlt");
}

// The Open command tests existence itself and names the missing file in its own
// words, so the dialog must hand a missing name back rather than warn about it.
TEST(QtDialogsTest, OpenDialogHandsBackANameThatDoesNotExistOrCancels) {
  TempDir dir("voltander-dialog");
  QtDialogs dialogs;
  FileChoice opened;
  WithModal<QFileDialog>([](QFileDialog& d) { d.reject(); },
                         [&] { opened = dialogs.openFile("Minden File (*.*)|*.*", ""); });
  EXPECT_TRUE(opened.cancelled);
  bool warned = false;
  WithModal<QFileDialog>(
      [&](QFileDialog& d) {
        TypeName(d, dir.path(), "nincs.vlt");
        QTimer::singleShot(0, [&] {
          if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            warned = true;
            box->close();
          }
        });
        static_cast<QDialog&>(d).accept();
        if (d.isVisible()) d.reject();  // still open only when the name was refused
      },
      [&] { opened = dialogs.openFile("Minden File (*.*)|*.*", "Modositott.vlt"); });
  EXPECT_FALSE(warned);
  EXPECT_FALSE(opened.cancelled);
  EXPECT_EQ(opened.fileTitle, "nincs.vlt");
}

}  // namespace
}  // namespace voltander::test

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "qt/NameFilters.h"
#include "qt/QtDialogs.h"
#include "support/TempDir.h"

namespace voltander {
namespace {

// Runs script on the first modal dialog of type T that comes up while body runs.
template <typename T>
void WithDialog(const std::function<void(T&)>& script, const std::function<void()>& body) {
  QTimer poll;
  bool ran = false;
  int ticks = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!ran && dialog && dialog->isVisible()) {
      ran = true;
      script(*dialog);
    } else if (QWidget* stuck = QApplication::activeModalWidget(); stuck && ++ticks > 1000) {
      stuck->close();  // a dialog nobody answers must not hang the suite
    }
  });
  poll.start(10);
  body();
  EXPECT_TRUE(ran) << "no dialog came up";
}

TEST(NameFiltersTest, PairsBecomeQtFiltersAndAllFilesMeansEveryFile) {
  using V = std::vector<std::string>;
  EXPECT_EQ(QtNameFilters("Voltander File (*.vlt)|*.vlt|Minden File (*.*)|*.*"),
            (V{"Voltander File (*.vlt)", "Minden File (*)"}));
  EXPECT_EQ(QtNameFilters("Texts|*.txt;*.log"), (V{"Texts (*.txt *.log)"}));
  EXPECT_EQ(QtNameFilters("Odd (*.a)|*.a|Dangling"), (V{"Odd (*.a)"}));
}

TEST(QtDialogsTest, MessageBoxShowsLinesTitleAndIconAndReportsTheButton) {
  QtDialogs dialogs;
  const struct {
    Buttons buttons;
    QMessageBox::StandardButton press;
    Answer expected;
  } cases[] = {{Buttons::Ok, QMessageBox::Ok, Answer::Ok},
               {Buttons::OkCancel, QMessageBox::Cancel, Answer::Cancel},
               {Buttons::OkCancel, QMessageBox::Ok, Answer::Ok},
               {Buttons::YesNo, QMessageBox::No, Answer::No},
               {Buttons::YesNo, QMessageBox::Yes, Answer::Yes}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.press);
    Answer answer{};
    WithDialog<QMessageBox>(
        [&](QMessageBox& box) {
          EXPECT_EQ(box.text(), QString::fromUtf8("'a.vlt' már létezik!\nFelül írja?"));
          EXPECT_EQ(box.windowTitle(), "Voltander");
          EXPECT_EQ(box.icon(), QMessageBox::Question);
          ASSERT_NE(box.button(c.press), nullptr);
          box.button(c.press)->click();
        },
        [&] {
          answer =
              dialogs.message("'a.vlt' már létezik!\r\nFelül írja?", c.buttons, Icon::Question);
        });
    EXPECT_EQ(answer, c.expected);
  }
}

// Closed by its close box, or left without a click (as when the program ends and
// leaves every event loop), a question must never count as a yes.
TEST(QtDialogsTest, UnansweredQuestionGetsTheCautiousAnswer) {
  QtDialogs dialogs;
  for (const bool closeBox : {true, false}) {
    for (const auto& [buttons, cautious] :
         {std::pair{Buttons::YesNo, Answer::No}, std::pair{Buttons::OkCancel, Answer::Cancel}}) {
      Answer answer{};
      WithDialog<QMessageBox>([&](QMessageBox& box) { closeBox ? void(box.close()) : box.hide(); },
                              [&] { answer = dialogs.message("?", buttons, Icon::Question); });
      EXPECT_EQ(answer, cautious) << "close box: " << closeBox;
    }
  }
}

TEST(QtDialogsTest, InputBoxGivesTheTextOrEmptyOnCancel) {
  QtDialogs dialogs;
  std::string got;
  WithDialog<QInputDialog>(
      [](QInputDialog& d) {
        EXPECT_EQ(d.windowTitle(), "Varázsló");
        EXPECT_EQ(d.labelText(), "Cellák száma?");
        EXPECT_EQ(d.textValue(), "6");
        d.setTextValue("12");
        d.accept();
      },
      [&] { got = dialogs.input("Varázsló", "Cellák száma?", "6"); });
  EXPECT_EQ(got, "12");
  WithDialog<QInputDialog>([](QInputDialog& d) { d.reject(); },
                           [&] { got = dialogs.input("Varázsló", "Cellák száma?", "6"); });
  EXPECT_EQ(got, "");
}

TEST(QtDialogsTest, FileDialogsPresetNameAndFilterAndReturnPathAndTitle) {
  test::TempDir dir("voltander-dialog");
  const std::string filter = "Voltander File (*.vlt)|*.vlt|Minden File (*.*)|*.*";
  QtDialogs dialogs;
  FileChoice saved;
  WithDialog<QFileDialog>(
      [&](QFileDialog& d) {
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        // The overwrite question is the program's own.
        EXPECT_TRUE(d.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(d.selectedNameFilter(), "Voltander File (*.vlt)");
        ASSERT_FALSE(d.selectedFiles().isEmpty());
        EXPECT_TRUE(d.selectedFiles().first().endsWith("/Modositott.vlt"));
        d.setDirectory(QString::fromStdString(dir.path()));
        // Typed by the user (selectFile leaves a focused name field alone).
        auto* name = d.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("akku.vlt");
        static_cast<QDialog&>(d).accept();  // QFileDialog hides its override
      },
      [&] { saved = dialogs.saveFile(filter, "Modositott.vlt"); });
  EXPECT_FALSE(saved.cancelled);
  EXPECT_EQ(saved.path, dir.file("akku.vlt"));
  EXPECT_EQ(saved.fileTitle, "akku.vlt");

  FileChoice opened;
  WithDialog<QFileDialog>([](QFileDialog& d) { d.reject(); },
                          [&] { opened = dialogs.openFile(filter, "Modositott.vlt"); });
  EXPECT_TRUE(opened.cancelled);
}

// The Open command tests existence itself and names the missing file in its own
// words, so the dialog must hand a missing name back rather than warn about it.
TEST(QtDialogsTest, OpenDialogHandsBackANameThatDoesNotExist) {
  test::TempDir dir("voltander-dialog");
  QtDialogs dialogs;
  FileChoice opened;
  bool warned = false;
  WithDialog<QFileDialog>(
      [&](QFileDialog& d) {
        d.setDirectory(QString::fromStdString(dir.path()));
        auto* name = d.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText("nincs.vlt");
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
}  // namespace voltander

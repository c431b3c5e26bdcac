#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
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
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (ran || !dialog || !dialog->isVisible()) return;
    ran = true;
    script(*dialog);
  });
  poll.start(10);
  QTimer guard;  // a dialog nobody answers must not hang the suite
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
  guard.start(10000);
  body();
  EXPECT_TRUE(ran) << "no dialog came up";
}

TEST(NameFiltersTest, PairsBecomeQtFiltersAndAllFilesMeansEveryFile) {
  using V = std::vector<std::string>;
  EXPECT_EQ(QtNameFilters("Voltander File (*.vlt)|*.vlt|Minden File (*.*)|*.*"),
            (V{"Voltander File (*.vlt)", "Minden File (*)"}));
  EXPECT_EQ(QtNameFilters("Texts|*.txt;*.log"), (V{"Texts (*.txt *.log)"}));
  EXPECT_EQ(QtNameFilters("Odd (*.a)|*.a|Dangling"), (V{"Odd (*.a)"}));
  EXPECT_EQ(QtNameFilters(""), V{});
}

TEST(QtDialogsTest, MessageBoxShowsLinesTitleAndIconAndReportsTheButton) {
  QtDialogs dialogs;
  const struct {
    Buttons buttons;
    QMessageBox::StandardButton press;
    Answer expected;
  } cases[] = {
      {Buttons::Ok, QMessageBox::Ok, Answer::Ok},
      {Buttons::OkCancel, QMessageBox::Cancel, Answer::Cancel},
      {Buttons::OkCancel, QMessageBox::Ok, Answer::Ok},
      {Buttons::YesNo, QMessageBox::No, Answer::No},
      {Buttons::YesNo, QMessageBox::Yes, Answer::Yes},
  };
  for (const auto& c : cases) {
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
    EXPECT_EQ(answer, c.expected) << static_cast<int>(c.press);
  }
}

TEST(QtDialogsTest, ClosedBoxCountsAsTheCautiousAnswer) {
  QtDialogs dialogs;
  Answer answer{};
  WithDialog<QMessageBox>([](QMessageBox& box) { box.close(); },
                          [&] { answer = dialogs.message("?", Buttons::YesNo, Icon::Question); });
  EXPECT_EQ(answer, Answer::No);
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
  const QString folder = QString::fromStdString(dir.path());
  const std::string filter = "Voltander File (*.vlt)|*.vlt|Minden File (*.*)|*.*";
  QtDialogs dialogs;

  FileChoice saved;
  WithDialog<QFileDialog>(
      [&](QFileDialog& d) {
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(d.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(d.selectedNameFilter(), "Voltander File (*.vlt)");
        EXPECT_EQ(d.nameFilters(), (QStringList{"Voltander File (*.vlt)", "Minden File (*)"}));
        ASSERT_FALSE(d.selectedFiles().isEmpty());
        EXPECT_TRUE(d.selectedFiles().first().endsWith("/Modositott.vlt"));
        d.setDirectory(folder);
        // Typed by the user into the name field (selectFile leaves a focused field alone).
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

}  // namespace
}  // namespace voltander

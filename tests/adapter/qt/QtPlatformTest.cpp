#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <QTranslator>
#include <filesystem>
#include <tuple>

#include "adapter/Rig.h"
#include "qt/platform/LinkLog.h"
#include "qt/platform/QtDialogs.h"
#include "qt/platform/QtTranslation.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

// A zero period means no ticks at all rather than one per pass of the event loop.
TEST(QtTimerTest, TicksOnlyWhileEnabledWithAPeriod) {
  QtTimer timer;
  int ticks = 0;
  timer.onTick = [&] { ++ticks; };
  timer.setInterval(20);
  ProcessEventsFor(80);
  EXPECT_EQ(ticks, 0) << "not enabled yet";
  timer.setEnabled(true);
  EXPECT_TRUE(ProcessEventsUntil([&] { return ticks >= 3; }));
  timer.setEnabled(false);
  const int stopped = ticks;
  ProcessEventsFor(80);
  timer.setInterval(0);
  timer.setEnabled(true);
  ProcessEventsFor(50);
  EXPECT_EQ(ticks, stopped);
}

TEST(QtSettingsStoreTest, ValuesComeBackExactlyInAFreshStoreAndAbsentOnesAsFallback) {
  const std::string values[] = {" 0", "-1", "", "  12 ", "a,b", "x=y;z", "\"q\"", "ő"};
  for (std::size_t i = 0; i < std::size(values); ++i)
    QtSettingsStore().save("Voltander", "Setup", "Key" + std::to_string(i), values[i]);
  QtSettingsStore again;  // as at the next start of the program
  for (std::size_t i = 0; i < std::size(values); ++i)
    EXPECT_EQ(again.get("Voltander", "Setup", "Key" + std::to_string(i), "<absent>"), values[i]);
  EXPECT_EQ(again.get("Voltander", "Setup", "Nowhere", "-1"), "-1");
  EXPECT_EQ(again.get("Voltander", "Other", "Key0", "-1"), "-1");
}

// With Qt's Hungarian file the buttons speak Hungarian; without it (a folder that
// lacks the file) they stay English and nothing else fails.
TEST(QtTranslationTest, HungarianButtonsWhenTheFileIsThereEnglishOtherwise) {
  TempDir empty("voltander-no-translations");
  const std::pair<QString, QString> cases[] = {
      {QLibraryInfo::path(QLibraryInfo::TranslationsPath), "&Igen"},
      {QString::fromStdString(empty.path()), "&Yes"}};
  for (const auto& [folder, yes] : cases) {
    // Deleting the translator removes it, so the other tests keep Qt's English.
    const std::unique_ptr<QTranslator> translator(InstallQtTranslation(*qApp, folder));
    EXPECT_EQ(translator != nullptr, yes == "&Igen") << folder.toStdString();
    QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), yes);
  }
}

QStringList captured;

void Capture(QtMsgType, const QMessageLogContext& context, const QString& text) {
  const QLatin1String category(context.category);
  if (category == QLatin1String("voltander.link") || category == QLatin1String("voltander.settings"))
    captured << text;
}

// Silent by default; the rule turns on lines with a time, the frame's bytes in hex,
// an opening's failure in the system's own words and a line event with its counts.
TEST(LinkLogTest, RuleTurnsOnTimedLinesOfFramesAndOpenings) {
  const QtMessageHandler previous = qInstallMessageHandler(Capture);
  for (const bool on : {false, true}) {
    QLoggingCategory::setFilterRules(on ? QStringLiteral("voltander.link.debug=true") : QString());
    captured.clear();
    LinkLog log;
    log.frameSent({'S', 'R', '0', '0', '0', '0', '0', '0', '0', 'T'});
    log.portOpened({7, "/dev/ttyS6", "comm7", "Comm 7"},
                   {OpenError::InvalidPort, 8002, "No such file or directory"});
    log.lineEvent(CommEvent::Frame, "frame 3 -> 4");
    log.frameReceived({'S', '!', 0, 0, 0, 0, 0, 0, 0x7F, 'T'});
    log.frameReceived({'S', ' ', 0, 0, 0, 0, 0, 0, 0, 'T'});
    log.strayBytes(3);
    EXPECT_EQ(captured.size(), on ? 6 : 0) << captured.join('\n').toStdString();
  }
  QLoggingCategory::setFilterRules(QString());
  qInstallMessageHandler(previous);
  ASSERT_EQ(captured.size(), 6);
  EXPECT_TRUE(
      captured[0].contains(QRegularExpression("^ *\\d+ ms .*53 52 30 30 30 30 30 30 30 54")));
  EXPECT_TRUE(captured[1].contains(QRegularExpression("Comm 7.*8002, device /dev/ttyS6.*No such file or directory")))
      << captured[1].toStdString();
  EXPECT_TRUE(captured[2].endsWith("line event 1004: frame 3 -> 4")) << captured[2].toStdString();
  EXPECT_TRUE(captured[3].contains("received !  53 21 00")) << captured[3].toStdString();
  EXPECT_TRUE(captured[4].contains("received ?  53 20 00")) << captured[4].toStdString();
  EXPECT_TRUE(captured[5].endsWith("stray bytes thrown away: 3"));
}

// The file can hold the broker's password: its folder is the owner's whatever the
// umask, and a file others can read is closed to them at its first reading.
TEST(QtSettingsStoreTest, FolderIsTheOwnersAloneAndAPasswordOpenToOthersIsClosedAtOnce) {
  namespace fs = std::filesystem;
  TempDir home("voltander-settings");
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(home.path()));
  const mode_t before = umask(0);
  QtSettingsStore().save("Voltander", "Mqtt", "Password", "pw");
  umask(before);
  EXPECT_EQ(fs::status(home.file("Voltander")).permissions(), fs::perms::owner_all);
  const std::string file = home.file("Voltander/Voltander.conf");
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(file, fs::perms::group_read | fs::perms::others_read, fs::perm_options::add);
  captured.clear();
  const QtMessageHandler previous = qInstallMessageHandler(Capture);
  QtSettingsStore().get("Voltander", "Mqtt", "Host", "");
  qInstallMessageHandler(previous);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, qEnvironmentVariable("XDG_CONFIG_HOME"));
  EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_EQ(captured.size(), 1);
  EXPECT_TRUE(captured[0].contains(QString::fromStdString(file))) << captured[0].toStdString();
}

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

// After a search, the first of the answers offered is the one preselected.
TEST(QtDialogsTest, TheSearchsChoiceOffersTheFirstAnswer) {
  int picked = -2;
  WithModal<QInputDialog>([](QInputDialog& d) { d.accept(); },
                          [&] { picked = QtPortSearch().choose("Melyik?", {"a", "b"}); });
  EXPECT_EQ(picked, 0);
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

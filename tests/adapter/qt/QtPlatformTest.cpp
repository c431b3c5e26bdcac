#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSettings>
#include <filesystem>
#include <sys/stat.h>
#include <QTranslator>

#include "adapter/Rig.h"
#include "qt/platform/LinkLog.h"
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

}  // namespace
}  // namespace voltander::test

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTranslator>
#include <memory>

#include "qt/QtTranslation.h"
#include "support/TempDir.h"

namespace voltander {
namespace {

// With Qt's Hungarian file the buttons speak Hungarian; without it (a folder that
// lacks the file) they stay English and nothing else fails.
TEST(QtTranslationTest, HungarianButtonsWhenTheFileIsThereEnglishOtherwise) {
  test::TempDir empty("voltander-no-translations");
  const struct {
    QString folder;
    bool installed;
    QString yes;
  } cases[] = {{QLibraryInfo::path(QLibraryInfo::TranslationsPath), true, "&Igen"},
               {QString::fromStdString(empty.path()), false, "&Yes"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder.toStdString());
    // Deleting the translator removes it, so the other tests keep Qt's English.
    const std::unique_ptr<QTranslator> translator(InstallQtTranslation(*qApp, c.folder));
    EXPECT_EQ(translator != nullptr, c.installed);
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), c.yes);
  }
}

}  // namespace
}  // namespace voltander

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QToolButton>

#include "fakes/Fakes.h"
#include "qt/FolapSurface.h"
#include "qt/FolapWindow.h"
#include "qt/FrameBox.h"

namespace voltander {
namespace {

// A loaded form with its window, as the program shows it.
class FolapWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f.Form_Load();
    window.show();
  }
  template <typename T>
  T* find(const char* name) {
    T* w = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  test::Harness h;
  Folap& f = *h.form;
  FolapWindow window{f};
};

TEST_F(FolapWindowTest, MenuCommandsReachTheFormOnce) {
  QAction* assist = find<QAction>("BAssis");
  EXPECT_TRUE(assist->isChecked());
  assist->trigger();
  EXPECT_FALSE(f.BAssis.checked());
  EXPECT_FALSE(assist->isChecked());
  QAction* expert = find<QAction>("BSzakerto");
  expert->trigger();
  EXPECT_TRUE(h.kozos.ExpertMode);
  EXPECT_TRUE(expert->isChecked());
  QAction* about = find<QAction>("Nevjegy");  // a command on the bar itself
  EXPECT_TRUE(window.menuBar()->actions().contains(about));
  about->trigger();
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].icon, Icon::Information);
  QAction* saving = find<QAction>("NMentes");
  saving->trigger();
  EXPECT_EQ(f.NMentes.checked(), saving->isChecked());
  int charts = 0;
  f.showHistory = [&] { ++charts; };
  find<QAction>("NGrafikon")->trigger();
  EXPECT_EQ(charts, 1);

  find<QAction>("FKi")->trigger();
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(window.unloaded());
  QCloseEvent again;  // however often the window is told to close
  QApplication::sendEvent(&window, &again);
  EXPECT_EQ(h.settings.savedKeys, (std::vector<std::string>{"Portok", "BAssis", "Expert", "Naplo"}));
}

TEST_F(FolapWindowTest, ListsMirrorEntriesSelectionAndRewrites) {
  QComboBox* ports = find<QComboBox>("Portok");
  ASSERT_EQ(ports->count(), 255);
  EXPECT_EQ(ports->currentIndex(), -1);
  QComboBox* umax = find<QComboBox>("Umax");
  f.Umax.setSelectedSilently(7);
  EXPECT_EQ(umax->currentIndex(), 7);
  f.Umax.writeEntry(7, "9.999 V");
  EXPECT_EQ(umax->currentText(), "9.999 V");
  f.Umax.clear();
  f.Umax.addEntry("1.000 V");
  ASSERT_EQ(umax->count(), 1);
  EXPECT_EQ(umax->itemText(0), "1.000 V");
}

TEST_F(FolapWindowTest, ChoosingAnEntryRunsTheListHandlerEvenForTheShownEntry) {
  QComboBox* combo = find<QComboBox>("Igyors");
  const QColor plain = combo->palette().color(QPalette::Button);
  for (int pass = 0; pass < 2; ++pass) {
    f.Igyors.setBackground(kLightRed);
    EXPECT_EQ(combo->palette().color(QPalette::Button), QColor(0xFF, 0x80, 0x80));
    emit combo->activated(4);
    EXPECT_EQ(f.Igyors.selected(), 4);
    EXPECT_FALSE(f.Igyors.background().has_value()) << "pass " << pass;
    EXPECT_EQ(combo->palette().color(QPalette::Button), plain);
  }
}

// The live display's colours and captions are also checked against the controller.
TEST_F(FolapWindowTest, LiveDisplayFollowsTheModels) {
  f.Kall.setVisible(true);
  EXPECT_TRUE(find<QLabel>("Kall")->isVisible());
  // A disabled frame greys its caption, not the label lit inside it.
  QLabel* state2 = find<QLabel>("State2");
  auto* allapot = find<FrameBox>("Allapot");
  f.State[2].setEnabled(true);
  EXPECT_TRUE(state2->isEnabled());
  EXPECT_FALSE(allapot->captionEnabled());
  EXPECT_NE(state2->palette().color(QPalette::Active, QPalette::WindowText),
            allapot->palette().color(QPalette::Active, QPalette::WindowText));
  f.Allapot.setEnabled(true);
  EXPECT_TRUE(allapot->captionEnabled());
  f.window.print(" 8010\n");
  EXPECT_TRUE(window.surface()->printed().contains("8010"));
}

// With the widest texts the controls will show; at 96 DPI this is the users' look.
TEST_F(FolapWindowTest, EveryCaptionFitsItsControl) {
  f.LED2.setCaption("Kapcsolódva");
  f.AMVerzio.setText("V200401");
  f.Kall.setVisible(true);
  f.Hiba.setVisible(true);
  for (QLabel* label : window.findChildren<QLabel*>()) {
    const std::string name = label->objectName().toStdString();
    EXPECT_TRUE(label->parentWidget()->rect().contains(label->geometry())) << name;
    if (label->text().isEmpty()) continue;
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << name;
    EXPECT_LE(label->fontMetrics().height(), label->height()) << name;
  }
  for (QGroupBox* box : window.findChildren<QGroupBox*>()) {
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
    EXPECT_LE(label.right(), box->width() - 2) << box->title().toStdString();
  }
  for (QComboBox* combo : window.findChildren<QComboBox*>()) {
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                       QStyle::SC_ComboBoxEditField, combo);
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i) {
      widest = std::max(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
    }
    // The entry is drawn one pixel inside the field on each side.
    EXPECT_LE(widest, field.width() - 2) << combo->objectName().toStdString();
  }
  for (QAbstractButton* button : window.centralWidget()->findChildren<QAbstractButton*>()) {
    const QStringList lines = button->text().split('\n');
    for (const QString& line : lines) {
      EXPECT_LE(button->fontMetrics().horizontalAdvance(line), button->width() - 6)
          << line.toStdString();
    }
    const int iconRoom = qobject_cast<QToolButton*>(button) ? button->iconSize().height() : 0;
    EXPECT_LE(lines.size() * button->fontMetrics().lineSpacing() + iconRoom, button->height() - 4)
        << button->objectName().toStdString();
  }
  auto* version = find<QLineEdit>("AMVerzio");
  EXPECT_LE(version->fontMetrics().horizontalAdvance(version->text()), version->width() - 6);
}

}  // namespace
}  // namespace voltander

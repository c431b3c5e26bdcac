#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QToolButton>
#include <cstdlib>

#include "fakes/Fakes.h"
#include "qt/FolapSurface.h"
#include "qt/FolapWindow.h"
#include "qt/FrameBox.h"

namespace voltander {
namespace {

using test::Harness;

// A loaded form with its window, as the program shows it.
struct Shown {
  Shown() {
    h.form->Form_Load();
    window.show();
  }
  template <typename T>
  T* find(const char* name) {
    T* w = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  Harness h;
  FolapWindow window{*h.form};
};

TEST(FolapWindowTest, ExitCommandClosesTheWindowAndUnloadsOnce) {
  Shown s;
  s.find<QAction>("FKi")->trigger();
  s.window.close();
  EXPECT_FALSE(s.window.isVisible());
  EXPECT_TRUE(s.window.unloaded());
  EXPECT_EQ(s.h.settings.savedKeys, (std::vector<std::string>{"Portok", "BAssis", "Expert"}));
  EXPECT_EQ(s.h.setting("Portok"), "-1");
}

TEST(FolapWindowTest, ListsMirrorEntriesSelectionAndRewrites) {
  Shown s;
  QComboBox* ports = s.find<QComboBox>("Portok");
  ASSERT_EQ(ports->count(), 255);
  EXPECT_EQ(ports->itemText(0), "Comm 1");
  EXPECT_EQ(ports->itemText(254), "Comm 255");
  EXPECT_EQ(ports->currentIndex(), -1);
  EXPECT_FALSE(ports->isEditable());

  QComboBox* umax = s.find<QComboBox>("Umax");
  ASSERT_EQ(umax->count(), static_cast<int>(s.h.form->Umax.count()));
  s.h.form->Umax.setSelectedSilently(7);
  EXPECT_EQ(umax->currentIndex(), 7);
  s.h.form->Umax.writeEntry(7, "9.999 V");
  EXPECT_EQ(umax->itemText(7), "9.999 V");
  EXPECT_EQ(umax->currentText(), "9.999 V");

  s.h.form->Umax.clear();
  EXPECT_EQ(umax->count(), 0);
  s.h.form->Umax.addEntry("1.000 V");
  EXPECT_EQ(umax->count(), 1);
  EXPECT_EQ(umax->itemText(0), "1.000 V");
}

TEST(FolapWindowTest, ChoosingAnEntryRunsTheListHandlerEvenForTheShownEntry) {
  Shown s;
  ListBox& model = s.h.form->Igyors;
  QComboBox* combo = s.find<QComboBox>("Igyors");
  const QColor plain = combo->palette().color(QPalette::Button);

  model.setBackground(kLightRed);
  EXPECT_EQ(combo->palette().color(QPalette::Button), QColor(0xFF, 0x80, 0x80));
  emit combo->activated(4);
  EXPECT_EQ(model.selected(), 4);
  EXPECT_FALSE(model.background().has_value());
  EXPECT_EQ(combo->palette().color(QPalette::Button), plain);

  // The same entry again: its handler runs again.
  model.setBackground(kLightRed);
  emit combo->activated(4);
  EXPECT_FALSE(model.background().has_value());
}

TEST(FolapWindowTest, LiveDisplayFollowsTheModels) {
  Shown s;
  Folap& f = *s.h.form;
  QLabel* led2 = s.find<QLabel>("LED2");
  EXPECT_EQ(led2->palette().color(QPalette::Window), QColor(0xFF, 0, 0));
  EXPECT_EQ(led2->palette().color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 0xFF));
  f.LED2.setBackground(kGreen);
  f.LED2.setCaption("Kapcsolódva");
  EXPECT_TRUE(led2->autoFillBackground());
  EXPECT_EQ(led2->palette().color(QPalette::Window), QColor(0, 0xFF, 0));
  EXPECT_EQ(led2->text(), QString::fromUtf8("Kapcsolódva"));

  QLabel* kall = s.find<QLabel>("Kall");
  EXPECT_FALSE(kall->isVisible());
  f.Kall.setVisible(true);
  EXPECT_TRUE(kall->isVisible());

  QLabel* state2 = s.find<QLabel>("State2");
  EXPECT_FALSE(state2->isEnabled());
  f.State[2].setEnabled(true);
  EXPECT_TRUE(state2->isEnabled());

  // A disabled frame greys its caption, not the label lit inside it.
  auto* allapot = s.find<FrameBox>("Allapot");
  EXPECT_FALSE(allapot->captionEnabled());
  EXPECT_TRUE(state2->isEnabled());
  EXPECT_NE(state2->palette().color(QPalette::Active, QPalette::WindowText),
            allapot->palette().color(QPalette::Active, QPalette::WindowText));
  f.Allapot.setEnabled(true);
  EXPECT_TRUE(allapot->captionEnabled());

  auto* bar = s.find<QProgressBar>("Bar");
  EXPECT_EQ(bar->maximum(), 255);
  EXPECT_EQ(bar->orientation(), Qt::Vertical);
  f.Bar.setValue(200);
  EXPECT_EQ(bar->value(), 200);

  f.AMVerzio.setText("V200401");
  EXPECT_EQ(s.find<QLineEdit>("AMVerzio")->text(), "V200401");
  f.window.setTitle("Voltander V 1. 1. 0 (*Kontroller*)");
  EXPECT_EQ(s.window.windowTitle(), "Voltander V 1. 1. 0 (*Kontroller*)");
  f.window.print(" 8010\n");
  EXPECT_TRUE(s.window.surface()->printed().contains("8010"));
}

TEST(FolapWindowTest, MenuChecksFollowTheFormAndAreFlippedOnce) {
  Shown s;
  QAction* assist = s.find<QAction>("BAssis");
  ASSERT_TRUE(assist->isCheckable());
  EXPECT_TRUE(assist->isChecked());  // on by default
  assist->trigger();
  EXPECT_FALSE(s.h.form->BAssis.checked());
  EXPECT_FALSE(assist->isChecked());

  QAction* expert = s.find<QAction>("BSzakerto");
  EXPECT_FALSE(expert->isChecked());
  expert->trigger();
  EXPECT_TRUE(s.h.kozos.ExpertMode);
  EXPECT_TRUE(expert->isChecked());

  // "Névjegy" is a command on the bar itself.
  QAction* about = s.find<QAction>("Nevjegy");
  EXPECT_EQ(about->menu(), nullptr);
  EXPECT_TRUE(s.window.menuBar()->actions().contains(about));
  about->trigger();
  ASSERT_EQ(s.h.dialogs.shown.size(), 1u);
  EXPECT_EQ(s.h.dialogs.shown[0].icon, Icon::Information);
}

TEST(FolapWindowTest, ControlsSitAtTheirTwipPositions) {
  Shown s;
  const TwipScale scale = ScreenTwipScale();
  EXPECT_EQ(s.window.centralWidget()->size(), QSize(scale.px(9300), scale.px(4920)));
  const struct {
    const char* name;
    int l, t, w, h;
  } cases[] = {
      {"PortFrame", 120, 120, 1335, 735}, {"Portok", 120, 240, 1095, 315},
      {"LED2", 120, 1440, 1335, 255},     {"Varazslo", 120, 2040, 1335, 495},
      {"Fel", 120, 2640, 1335, 735},      {"MintaFrame", 4800, 3360, 1335, 735},
      {"AMVerzio", 120, 240, 1095, 285},  {"Allapot", 6240, 3360, 1335, 1455},
      {"State4", 120, 1200, 1110, 210},   {"ArambFrame", 7680, 0, 1455, 4815},
      {"Bar", 240, 360, 375, 3975},       {"Kall", 2640, 1440, 4110, 600},
      {"Picture1", 2400, 360, 780, 855},  {"Picture2", 6000, 360, 1500, 855},
  };
  for (const auto& c : cases) {
    QWidget* w = s.find<QWidget>(c.name);
    if (w) {
      EXPECT_EQ(w->geometry(), scale.rect(c.l, c.t, c.w, c.h)) << c.name;
    }
  }
  EXPECT_EQ(s.find<QLabel>("Hiba")->pos(), scale.point(720, 600));
  EXPECT_EQ(s.find<QLabel>("Led")->pos(), scale.point(120, 4440));
}

// Fits the captions at the font the window picked; at the default 96 DPI this is
// the look users get.
TEST(FolapWindowTest, EveryCaptionFitsItsControl) {
  Shown s;
  Folap& f = *s.h.form;
  // The widest texts the controls will show.
  f.LED2.setCaption("Kapcsolódva");
  f.AMVerzio.setText("V200401");
  f.Kall.setVisible(true);
  f.Hiba.setVisible(true);

  for (QLabel* label : s.window.findChildren<QLabel*>()) {
    EXPECT_TRUE(label->parentWidget()->rect().contains(label->geometry()))
        << label->objectName().toStdString();
    if (label->text().isEmpty()) continue;
    const QFontMetrics fm(label->font());
    EXPECT_LE(fm.horizontalAdvance(label->text()), label->width())
        << label->objectName().toStdString();
    EXPECT_LE(fm.height(), label->height()) << label->objectName().toStdString();
  }
  for (QGroupBox* box : s.window.findChildren<QGroupBox*>()) {
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = box->title();
    opt.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
    EXPECT_LE(label.right(), box->width() - 2) << box->title().toStdString();
  }
  for (QComboBox* combo : s.window.findChildren<QComboBox*>()) {
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt,
                                                       QStyle::SC_ComboBoxEditField, combo);
    int widest = 0;
    for (int i = 0; i < combo->count(); ++i) {
      widest = std::max(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
    }
    // The label is drawn one pixel inside the field on each side.
    EXPECT_LE(widest, field.width() - 2) << combo->objectName().toStdString();
  }
  for (QAbstractButton* button : s.window.centralWidget()->findChildren<QAbstractButton*>()) {
    const QStringList lines = button->text().split('\n');
    for (const QString& line : lines) {
      EXPECT_LE(button->fontMetrics().horizontalAdvance(line), button->width() - 6)
          << line.toStdString();
    }
    const int iconRoom = qobject_cast<QToolButton*>(button) ? button->iconSize().height() : 0;
    EXPECT_LE(lines.size() * button->fontMetrics().lineSpacing() + iconRoom, button->height() - 4)
        << button->objectName().toStdString();
  }
  auto* version = s.find<QLineEdit>("AMVerzio");
  EXPECT_LE(version->fontMetrics().horizontalAdvance(version->text()), version->width() - 6);

  if (const char* shot = std::getenv("VOLTANDER_SCREENSHOT")) s.window.grab().save(shot);
}

}  // namespace
}  // namespace voltander

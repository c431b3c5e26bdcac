#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "calibration/CalibrationTexts.h"
#include "calibration/Oszto.h"
#include "fakes/Fakes.h"
#include "qt/OsztoWindow.h"

namespace voltander {
namespace {

template <typename W>
W* Child(QDialog& d, const char* name) {
  W* w = d.findChild<W*>(QString::fromLatin1(name));
  EXPECT_NE(w, nullptr) << name;
  return w;
}

void Key(QWidget* target, int key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
}

int Lines(QPlainTextEdit* text) { return text->toPlainText().split('\n').size(); }

class OsztoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h.form->Form_Load();
    h.port.open(1);  // so each closing enables the timer once, which can be counted
  }
  // Shows the window modally, runs script once it is up, and checks that the window
  // closed through exactly one unload.
  void showAndRun(Oszto& form, const std::function<void(QDialog&)>& script) {
    const int enablesBefore = h.timer.enableChanges;
    QTimer poll;
    bool ran = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (ran || !dialog || dialog->objectName() != "Oszto") return;
      ran = true;
      script(*dialog);
    });
    poll.start(10);
    QTimer::singleShot(10000, [] {  // a window that never closes must not hang the suite
      if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
    ShowOsztoModal(form, nullptr);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(form.closed());
    EXPECT_EQ(h.timer.enableChanges, enablesBefore + 1);
  }
  test::Harness h;
};

TEST_F(OsztoWindowTest, WidgetsMirrorTheFormAndForwardTheUsersActions) {
  Oszto form(h.form->osztoHost());
  showAndRun(form, [&](QDialog& d) {
    auto* rhi = Child<QComboBox>(d, "Rhi");
    auto* poti = Child<QSlider>(d, "Poti1");
    auto* ufesz = Child<QPlainTextEdit>(d, "Ufesz");
    auto* osztas = Child<QLabel>(d, "Osztas");
    auto* ch1 = Child<QCheckBox>(d, "CH1");
    ASSERT_TRUE(rhi && poti && ufesz && osztas && ch1);
    EXPECT_EQ(d.windowTitle(), "Kalibráció");
    EXPECT_EQ(Child<QComboBox>(d, "Vcc")->currentText(), "5.00 V");
    EXPECT_EQ(rhi->currentText(), "1.25");
    EXPECT_EQ(poti->maximum(), rhi->count() - 1);
    EXPECT_EQ(poti->value(), 125);
    EXPECT_EQ(osztas->text(), "4.00");
    EXPECT_EQ(Lines(ufesz), 53);

    Key(rhi, Qt::Key_A, "a");
    EXPECT_TRUE(ufesz->toPlainText().isEmpty());
    Key(rhi, Qt::Key_Return, "\r");
    EXPECT_EQ(Lines(ufesz), 53);
    EXPECT_TRUE(d.isVisible()) << "Enter must press no button";
    Key(rhi, Qt::Key_Down);
    EXPECT_EQ(form.Rhi.selected(), 126);
    EXPECT_EQ(poti->value(), 126);
    poti->setValue(200);  // as a drag would
    EXPECT_EQ(form.Rhi.selected(), 200);
    EXPECT_EQ(rhi->currentText(), "2.00");
    EXPECT_EQ(osztas->text(), "2.50");
    ch1->click();
    EXPECT_TRUE(form.CH1.checked());
    EXPECT_EQ(Lines(ufesz), 26);
    d.close();  // the close box
  });
  EXPECT_EQ(h.kozos.DividerRatio, 4.0f);
}

TEST_F(OsztoWindowTest, EscapeAndUploadCloseTheWindowThroughOneUnload) {
  Oszto escaped(h.form->osztoHost());
  showAndRun(escaped, [](QDialog& d) { Key(&d, Qt::Key_Escape); });
  Oszto uploaded(h.form->osztoHost());
  showAndRun(uploaded, [](QDialog& d) {
    Child<QComboBox>(d, "Rhi")->setFocus();
    Child<QToolButton>(d, "Ufel")->click();
  });
  ASSERT_EQ(h.dialogs.shown.size(), 1u);
  EXPECT_EQ(h.dialogs.shown[0].text, calibration_text::kUploadRefused);
  EXPECT_FALSE(uploaded.window.requestClose);  // nothing left pointing at the dead window
}

}  // namespace
}  // namespace voltander

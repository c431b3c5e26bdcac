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

using test::Harness;

// Runs script once the calibration window is up, then waits for it to close.
void ShowAndRun(Oszto& form, std::function<void(QDialog&)> script) {
  QTimer poll;
  bool ran = false;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (ran || !dialog || dialog->objectName() != "Oszto") return;
    ran = true;
    script(*dialog);
  });
  poll.start(10);
  // A window that never closes would hang the suite: give up after a while.
  QTimer::singleShot(10000, [] {
    if (QWidget* w = QApplication::activeModalWidget()) w->close();
  });
  ShowOsztoModal(form, nullptr);
  EXPECT_TRUE(ran);
}

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

class OsztoWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h.form->Form_Load();
    h.port.open(1);  // so each closing enables the timer once, which can be counted
  }
  Harness h;
};

TEST_F(OsztoWindowTest, WidgetsMirrorTheFormAndForwardTheUsersActions) {
  Oszto form(*h.form);
  const int enablesBefore = h.timer.enableChanges;
  ShowAndRun(form, [&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Kalibráció");
    auto* vcc = Child<QComboBox>(d, "Vcc");
    auto* rhi = Child<QComboBox>(d, "Rhi");
    auto* poti = Child<QSlider>(d, "Poti1");
    auto* ufesz = Child<QPlainTextEdit>(d, "Ufesz");
    auto* osztas = Child<QLabel>(d, "Osztas");
    auto* ch1 = Child<QCheckBox>(d, "CH1");
    ASSERT_TRUE(vcc && rhi && poti && ufesz && osztas && ch1);
    EXPECT_EQ(vcc->count(), 201);
    EXPECT_EQ(rhi->count(), 500);
    EXPECT_EQ(vcc->currentText(), "5.00 V");
    EXPECT_EQ(rhi->currentText(), "1.25");
    EXPECT_EQ(poti->value(), 125);
    EXPECT_EQ(poti->maximum(), 499);
    EXPECT_EQ(osztas->text(), "4.00");
    EXPECT_EQ(ufesz->toPlainText().split('\n').size(), 53);
    EXPECT_EQ(Child<QToolButton>(d, "Ufel")->toolTip(), "Adatok feltöltése a kontrollerbe");
    d.grab().save("/tmp/oszto.png");

    Key(rhi, Qt::Key_A, "a");
    EXPECT_TRUE(ufesz->toPlainText().isEmpty());
    Key(rhi, Qt::Key_Return, "\r");
    EXPECT_EQ(ufesz->toPlainText().split('\n').size(), 53);
    EXPECT_TRUE(d.isVisible());  // Enter pressed no button
    Key(rhi, Qt::Key_Down);
    EXPECT_EQ(form.Rhi.selected(), 126);
    EXPECT_EQ(poti->value(), 126);

    poti->setValue(200);  // as a drag would
    EXPECT_EQ(form.Rhi.selected(), 200);
    EXPECT_EQ(rhi->currentText(), "2.00");
    EXPECT_EQ(osztas->text(), "2.50");

    ch1->click();
    EXPECT_TRUE(form.CH1.checked());
    EXPECT_EQ(ufesz->toPlainText().split('\n').size(), 26);

    d.close();  // the close box
  });
  EXPECT_TRUE(form.closed());
  EXPECT_EQ(h.timer.enableChanges, enablesBefore + 1);
  EXPECT_EQ(h.kozos.DividerRatio, 4.0f);
}

TEST_F(OsztoWindowTest, EscapeAndUploadCloseTheWindowThroughOneUnload) {
  {
    Oszto form(*h.form);
    const int enablesBefore = h.timer.enableChanges;
    ShowAndRun(form, [](QDialog& d) { Key(&d, Qt::Key_Escape); });
    EXPECT_TRUE(form.closed());
    EXPECT_EQ(h.timer.enableChanges, enablesBefore + 1);
  }
  {
    Oszto form(*h.form);
    const int enablesBefore = h.timer.enableChanges;
    ShowAndRun(form, [](QDialog& d) {
      Child<QComboBox>(d, "Rhi")->setFocus();
      Child<QToolButton>(d, "Ufel")->click();
    });
    EXPECT_TRUE(form.closed());
    EXPECT_EQ(h.timer.enableChanges, enablesBefore + 1);
    ASSERT_EQ(h.dialogs.shown.size(), 1u);
    EXPECT_EQ(h.dialogs.shown[0].text, calibration_text::kUploadRefused);
    EXPECT_FALSE(form.window.requestClose);  // nothing left pointing at the dead window
  }
}

}  // namespace
}  // namespace voltander

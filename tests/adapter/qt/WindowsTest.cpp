// The two windows over forms with fakes: what the forms do is the unit tests' business.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QLineSeries>
#include <QMouseEvent>
#include <QValueAxis>
#include <QPlainTextEdit>
#include <QSlider>
#include <QToolButton>
#include <set>

#include "adapter/Rig.h"
#include "calibration/CalibrationTexts.h"
#include "calibration/Oszto.h"
#include "qt/widgets/FolapSurface.h"
#include "qt/widgets/FrameBox.h"
#include "qt/widgets/HistoryChartView.h"
#include "qt/widgets/OsztoWindow.h"

namespace voltander {
namespace {

using test::Child;

class FolapWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    f.Form_Load();
    window.show();
  }
  test::Harness h;
  Folap& f = *h.form;
  FolapWindow window{f};
};

TEST_F(FolapWindowTest, MenuCommandsReachTheFormOnce) {
  QAction* assist = Child<QAction>(window, "BAssis");
  EXPECT_TRUE(assist->isChecked());
  assist->trigger();
  EXPECT_FALSE(f.BAssis.checked());
  EXPECT_FALSE(assist->isChecked());
  Child<QAction>(window, "BSzakerto")->trigger();
  EXPECT_TRUE(h.kozos.ExpertMode);
  const QList<QAction*> setup = Child<QMenu>(window, "Beall")->actions();
  EXPECT_EQ(setup.indexOf(Child<QAction>(window, "BUjra")),
            setup.indexOf(Child<QAction>(window, "KKereses")) + 1);
  QAction* about = Child<QAction>(window, "Nevjegy");  // a command on the bar itself
  EXPECT_TRUE(window.menuBar()->actions().contains(about));
  about->trigger();
  EXPECT_EQ(h.dialogs.shown.size(), 1u);
  QAction* saving = Child<QAction>(window, "NMentes");
  EXPECT_TRUE(saving->isChecked());
  saving->trigger();
  EXPECT_FALSE(f.NMentes.checked());
  EXPECT_FALSE(saving->isChecked());
  int charts = 0;
  f.showHistory = [&] { ++charts; };
  Child<QAction>(window, "NGrafikon")->trigger();
  EXPECT_EQ(charts, 1);
  QAction* broker = Child<QAction>(window, "BMqtt");
  EXPECT_EQ(Child<QMenu>(window, "Beall")->actions().back(), broker);  // the menu's last

  Child<QAction>(window, "FKi")->trigger();
  EXPECT_FALSE(window.isVisible());
  QCloseEvent again;  // however often the window is told to close
  QApplication::sendEvent(&window, &again);
  const auto& saved = h.settings.savedKeys;  // each once; which keys is the unit tests' business
  EXPECT_TRUE(!saved.empty() && std::set(saved.begin(), saved.end()).size() == saved.size());
}

// Choosing even the shown entry reaches the form, and a disabled frame greys its
// caption but not the label lit inside it.
TEST_F(FolapWindowTest, WidgetsMirrorTheModelsAndHandTheUsersChoiceBack) {
  EXPECT_EQ(Child<QComboBox>(window, "Portok")->count(), 255);
  QComboBox* umax = Child<QComboBox>(window, "Umax");
  f.Umax.setSelectedSilently(7);
  EXPECT_EQ(umax->currentIndex(), 7);
  f.Umax.writeEntry(7, "9.999 V");
  EXPECT_EQ(umax->currentText(), "9.999 V");

  QComboBox* igyors = Child<QComboBox>(window, "Igyors");
  const QColor plain = igyors->palette().color(QPalette::Button);
  for (int pass = 0; pass < 2; ++pass) {
    f.Igyors.setBackground(kLightRed);
    EXPECT_EQ(igyors->palette().color(QPalette::Button), QColor(0xFF, 0x80, 0x80));
    emit igyors->activated(4);
    EXPECT_EQ(f.Igyors.selected(), 4);
    EXPECT_EQ(igyors->palette().color(QPalette::Button), plain) << "pass " << pass;
  }

  f.Kall.setVisible(true);
  EXPECT_TRUE(Child<QLabel>(window, "Kall")->isVisible());
  f.Kall.setVisible(false);
  EXPECT_FALSE(Child<QLabel>(window, "Kall")->isVisible());
  QLabel* state2 = Child<QLabel>(window, "State2");
  auto* allapot = Child<FrameBox>(window, "Allapot");
  f.State[2].setEnabled(true);
  EXPECT_TRUE(state2->isEnabled());
  EXPECT_FALSE(allapot->captionEnabled());
  EXPECT_NE(state2->palette().color(QPalette::Active, QPalette::WindowText),
            allapot->palette().color(QPalette::Active, QPalette::WindowText));
  f.Allapot.setEnabled(true);
  EXPECT_TRUE(allapot->captionEnabled());
  f.Allapot.setVisible(false);
  EXPECT_FALSE(allapot->isVisible());
  f.window.print(" 8010\n");
  EXPECT_TRUE(window.surface()->printed().contains("8010"));
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
  // Shows the window modally, runs script once it is up; it must close by one unload.
  void showAndRun(Oszto& form, const std::function<void(QDialog&)>& script) {
    const int enablesBefore = h.timer.enableChanges;
    test::WithModal<QDialog>(script, [&] { ShowOsztoModal(form, nullptr); });
    EXPECT_TRUE(form.closed());
    EXPECT_EQ(h.timer.enableChanges, enablesBefore + 1);
  }
  test::Harness h;
};

// The widgets follow the form both ways (list, slider, check box) and the keys keep
// their meaning: a typed digit clears the thresholds, Enter computes them again and
// presses no button, the arrows move.
TEST_F(OsztoWindowTest, WidgetsMirrorTheFormAndForwardTheUsersActions) {
  Oszto form(h.form->osztoHost());
  showAndRun(form, [&](QDialog& d) {
    auto* rhi = Child<QComboBox>(d, "Rhi");
    auto* poti = Child<QSlider>(d, "Poti1");
    auto* ufesz = Child<QPlainTextEdit>(d, "Ufesz");
    ASSERT_TRUE(rhi && poti && ufesz);
    EXPECT_EQ(poti->maximum(), rhi->count() - 1);
    EXPECT_EQ(poti->value(), form.Rhi.selected());
    const QString lines = ufesz->toPlainText();
    Key(rhi, Qt::Key_7, "7");  // no entry starts with it, so the selection stays
    EXPECT_EQ(ufesz->toPlainText(), "");
    Key(rhi, Qt::Key_Return, "\r");
    EXPECT_EQ(ufesz->toPlainText(), lines);
    EXPECT_TRUE(d.isVisible()) << "Enter must press no button";
    Key(rhi, Qt::Key_Down);
    EXPECT_EQ(form.Rhi.selected(), 126);
    EXPECT_EQ(poti->value(), 126);
    poti->setValue(200);  // as a drag would
    EXPECT_EQ(form.Rhi.selected(), 200);
    EXPECT_EQ(rhi->currentIndex(), 200);
    EXPECT_EQ(Child<QLabel>(d, "Osztas")->text(), QString::fromStdString(form.Osztas.caption()));
    Child<QCheckBox>(d, "CH1")->click();
    EXPECT_TRUE(form.CH1.checked());
    EXPECT_NE(ufesz->toPlainText(), lines);
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

// A right drag moves the time axis by just what was dragged, the other way.
TEST(HistoryChartViewTest, ARightDragPansTheTimeAxisByTheDraggedDistance) {
  auto* chart = new QChart;
  auto* time = new QValueAxis;
  time->setRange(0, 1000);
  chart->addAxis(time, Qt::AlignBottom);
  auto* line = new QLineSeries;  // a chart scrolls the domains of its series
  line->append({{0, 0}, {1000, 1}});
  chart->addSeries(line);
  line->attachAxis(time);
  HistoryChartView view(chart);
  view.resize(600, 400);
  view.show();
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return chart->plotArea().width() > 100; }));
  const double secondsPerPixel = 1000 / chart->plotArea().width();
  const QPointF from = view.mapFromScene(chart->plotArea().center());
  for (const auto& [type, x] : {std::pair{QEvent::MouseButtonPress, from.x()},
                                {QEvent::MouseMove, from.x() - 100},
                                {QEvent::MouseButtonRelease, from.x() - 100}}) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::RightButton;
    QMouseEvent event(type, QPointF(x, from.y()), view.viewport()->mapToGlobal(QPointF(x, from.y())),
                      button, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &event);
  }
  EXPECT_NEAR(time->min(), 100 * secondsPerPixel, secondsPerPixel);
  EXPECT_NEAR(time->max() - time->min(), 1000, 1);
}

}  // namespace
}  // namespace voltander

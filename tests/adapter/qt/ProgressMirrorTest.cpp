#include <gtest/gtest.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QProgressBar>
#include <QWidget>

#include "controls/Controls.h"
#include "qt/ControlMirror.h"

namespace voltander {
namespace {

class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

// Runs the event loop until done holds, for at most five seconds.
template <typename Done>
bool ProcessUntil(Done done) {
  const QDeadlineTimer deadline(5000);
  while (!done() && !deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

// A reply that is not charging sets the duty and then 0: the bar must show the last
// value and be painted once by the event loop, not once per value from inside the
// handler.
TEST(ProgressMirrorTest, ValueChangesOfOneEventArePaintedOnceByTheEventLoop) {
  ProgressBar model;
  model.setRange(0, 255);
  QWidget top;
  top.resize(80, 300);
  auto* bar = new QProgressBar(&top);
  bar->setGeometry(10, 10, 25, 260);
  bar->setOrientation(Qt::Vertical);
  bar->setTextVisible(false);
  PaintCounter counter;
  bar->installEventFilter(&counter);
  ControlMirror mirror;
  mirror.progress(bar, model);
  top.show();
  ASSERT_TRUE(ProcessUntil([&] { return counter.paints > 0; }));
  QApplication::processEvents();

  counter.paints = 0;
  model.setValue(120);
  model.setValue(0);
  model.setValue(40);
  EXPECT_EQ(bar->value(), 40);
  EXPECT_EQ(counter.paints, 0);

  ASSERT_TRUE(ProcessUntil([&] { return counter.paints > 0; }));
  QApplication::processEvents();
  EXPECT_EQ(counter.paints, 1);
  EXPECT_EQ(bar->value(), 40);
}

}  // namespace
}  // namespace voltander

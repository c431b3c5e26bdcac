// The floor for the start-up and memory figures: the least a Qt Widgets program does
// to put a main window on screen. It leaves after its first paint, so it also ends
// by itself where nothing watches it. Options: --text shows one line of text in it
// (which makes Qt set up the fonts, as every window with text must); --stay keeps
// it open until it is closed or signalled (for the memory and idle figures).
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>

namespace {

class BareWindow : public QMainWindow {
 public:
  explicit BareWindow(bool stay) : stay_(stay) {}

 protected:
  void paintEvent(QPaintEvent* event) override {
    QMainWindow::paintEvent(event);
    if (!stay_) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  }

 private:
  bool stay_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QCoreApplication::arguments();
  BareWindow window(args.contains(QStringLiteral("--stay")));
  if (args.contains(QStringLiteral("--text"))) {
    window.setCentralWidget(new QLabel(QStringLiteral("Voltander")));
  }
  window.resize(640, 400);
  window.show();
  return app.exec();
}

#include "qt/widgets/HistoryWindow.h"

#include <QDateTime>
#include <QDateTimeAxis>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "history/ChartFrame.h"
#include "history/Recorder.h"
#include "qt/platform/QtSessionFiles.h"
#include "qt/widgets/HistoryChart.h"
#include "qt/widgets/HistoryChartView.h"
#include "qt/widgets/SummaryPanel.h"

namespace voltander {

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

HistoryWindow::HistoryWindow(history::Recorder& recorder, QWidget* parent)
    : QMainWindow(parent), recorder_(recorder) {
  setObjectName(QStringLiteral("HistoryWindow"));
  // Closing the main window ends the program even while the chart is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(1250, 500);

  chart_ = new HistoryChart;
  view_ = new HistoryChartView(chart_);
  view_->setObjectName(QStringLiteral("HistoryChart"));
  view_->setRenderHint(QPainter::Antialiasing, false);
  view_->setRubberBand(QChartView::HorizontalRubberBand);
  summary_ = new SummaryPanel;
  auto* central = new QWidget;
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(0, 0, 6, 0);
  row->addWidget(view_, 1);
  row->addWidget(summary_, 0, Qt::AlignTop);
  setCentralWidget(central);
  connect(chart_->timeAxis(), &QDateTimeAxis::rangeChanged, this, [this] {
    following_ = live_ && !timeline().empty() && chart_->to() >= timeline().last();
    scheduleRedraw();
  });

  QMenuBar* bar = menuBar();
  bar->addAction(Q("Megnyitás…"), this, [this] {
    const QString path = QFileDialog::getOpenFileName(
        this, Q("Megnyitás…"), QtSessionFiles::DefaultFolder(), Q("Napló (*.csv)"));
    if (!path.isEmpty()) openFile(path);
  });
  bar->addAction(Q("Exportálás…"), this, [this] {
    const QString path =
        QFileDialog::getSaveFileName(this, Q("Exportálás…"), QString(), Q("PNG kép (*.png)"));
    if (!path.isEmpty()) exportPng(path);
  });
  bar->addAction(Q("Teljes idő"), this, [this] { showAll(); });
  bar->addAction(Q("Élő"), this, [this] { showLive(); });

  recorder_.onEntry = [this](const history::Entry&) {
    if (live_) entryAdded();
  };
  showLive();
}

HistoryWindow::~HistoryWindow() { recorder_.onEntry = nullptr; }

QChartView* HistoryWindow::chartView() const { return view_; }

const history::Timeline& HistoryWindow::timeline() const {
  return live_ || !opened_ ? recorder_.timeline() : opened_->session.timeline();
}

const history::SessionSummary& HistoryWindow::summary() const {
  return live_ || !opened_ ? recorder_.summary() : opened_->session.summary();
}

bool HistoryWindow::openFile(const QString& path) {
  if (!QFile(path).open(QIODevice::ReadOnly)) return false;
  const QFileInfo info(path);
  auto opened = std::make_unique<Opened>(info.absolutePath());
  opened->session.read(info.fileName().toStdString());
  opened_ = std::move(opened);
  live_ = false;
  setWindowTitle(Q("Napló – ") + info.fileName());
  showAll();
  return true;
}

void HistoryWindow::showLive() {
  live_ = true;
  opened_.reset();
  setWindowTitle(Q("Napló – Grafikon"));
  showAll();
}

bool HistoryWindow::exportPng(const QString& path) {
  if (dirty_ || redrawPending_) redraw();
  return view_->grab().save(path, "PNG");
}

void HistoryWindow::entryAdded() {
  dirty_ = true;
  if (!drawable()) return;
  if (following_) followToNewest();
  scheduleRedraw();
}

void HistoryWindow::followToNewest() {
  const double newest = timeline().last();
  if (timeline().empty() || chart_->to() >= newest) return;
  // Whole columns at a time: between two steps the columns keep their slices of
  // time, and a reply that changes none of them costs no drawing.
  const double width = chart_->to() - chart_->from();
  const double column = width / chart_->columns();
  const double step = std::ceil((newest - chart_->to()) / column) * column;
  chart_->setRange(chart_->from() + step, chart_->to() + step);
}

void HistoryWindow::showAll() {
  const history::Timeline& t = timeline();
  double t0 = t.empty() ? QDateTime::currentMSecsSinceEpoch() / 1000.0 : t.first();
  double t1 = t.empty() ? t0 : t.last();
  // From the start of a session whose first parts are gone.
  for (const history::Gap& g : t.gapsIn(t0, t1)) t0 = std::min(t0, g.from);
  if (t1 - t0 < 60) t1 = t0 + 60;
  chart_->setRange(t0, t1);
  following_ = live_;
  dirty_ = true;
  scheduleRedraw();
}

void HistoryWindow::scheduleRedraw() {
  dirty_ = true;
  if (redrawPending_ || !drawable()) return;
  redrawPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (redrawPending_) redraw();
  });
}

void HistoryWindow::redraw() {
  redrawPending_ = false;
  dirty_ = false;
  summary_->setSummary(summary());
  const double from = chart_->from(), to = chart_->to();
  const int columns = chart_->columns();
  history::ChartFrame frame = history::Frame(timeline(), from, to, columns);
  if (from == shownFrom_ && to == shownTo_ && columns == shownColumns_ &&
      history::SameDrawing(frame, shown_))
    return;
  chart_->draw(frame);
  shown_ = std::move(frame);
  shownFrom_ = from;
  shownTo_ = to;
  shownColumns_ = columns;
  const auto time = [](double seconds) {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(seconds * 1000))
        .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
  };
  QStringList notes;
  if (shown_.detailMissing)
    notes << Q("A napló mentése ki volt kapcsolva: ") + time(timeline().detailFrom()) +
                 Q(" előttről csak az összesítés maradt meg, nem minden válasz.");
  for (const history::Gap& g : shown_.gaps)
    notes << Q("Hiányzó rész: ") + time(g.from) + Q(" – ") + time(g.to) +
                 Q(" (a napló e része törölve).");
  statusBar()->showMessage(notes.join(QLatin1Char(' ')));
}

void HistoryWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!dirty_) return;
  if (live_ && following_) followToNewest();
  scheduleRedraw();
}

void HistoryWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && dirty_ && drawable()) {
    if (live_ && following_) followToNewest();
    scheduleRedraw();
  }
}

}  // namespace voltander

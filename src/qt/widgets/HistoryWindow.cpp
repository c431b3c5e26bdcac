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
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "history/ChartFrame.h"
#include "history/Recorder.h"
#include "history/SessionReader.h"
#include "qt/platform/QtSessionFiles.h"
#include "qt/widgets/HistoryChart.h"
#include "qt/widgets/HistoryChartView.h"
#include "qt/widgets/SummaryPanel.h"

namespace voltander {

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

constexpr qint64 kReadPiece = 1 << 20;

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
  return live_ || !opened_ ? recorder_.timeline() : opened_->timeline;
}

const history::SessionSummary& HistoryWindow::summary() const {
  return live_ || !opened_ ? recorder_.summary() : opened_->summary;
}

bool HistoryWindow::openFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  auto opened = std::make_unique<Opened>();
  // Older hours are read back from the file as they are zoomed into.
  opened->timeline.readFrom([path](std::uint64_t offset, std::uint64_t length) {
    QFile again(path);
    if (!again.open(QIODevice::ReadOnly) || !again.seek(static_cast<qint64>(offset))) return std::string();
    return again.read(static_cast<qint64>(length)).toStdString();
  });
  history::SessionReader reader(opened->timeline, opened->summary);
  QByteArray piece;
  while (!(piece = file.read(kReadPiece)).isEmpty())
    reader.feed(std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())));
  opened_ = std::move(opened);
  live_ = false;
  setWindowTitle(Q("Napló – ") + QFileInfo(path).fileName());
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
  if (shown_.detailMissing) {
    const QString since = QDateTime::fromMSecsSinceEpoch(
                             static_cast<qint64>(timeline().detailFrom() * 1000))
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    statusBar()->showMessage(Q("A napló mentése ki volt kapcsolva: ") + since +
                             Q(" előttről csak az összesítés maradt meg, nem minden válasz."));
  } else {
    statusBar()->clearMessage();
  }
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

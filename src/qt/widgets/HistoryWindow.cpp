#include "qt/widgets/HistoryWindow.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScatterSeries>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>
#include <QWheelEvent>
#include <algorithm>

#include "history/HistoryCsv.h"
#include "history/Recorder.h"
#include "qt/platform/QtSessionFiles.h"

namespace voltander {

using history::Entry;
using history::EntryKind;
using history::Sample;
using history::Span;

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// A reply holds for one poll period (2 s) and some slack; past that the link was silent.
constexpr double kMaxGapMs = 3000;

// Heights on the value axis: the duty runs 0 to 100 %, the strips sit above it and
// the event markers below.
constexpr double kFaultLow = 102, kFaultHigh = 107;
constexpr double kLoopLow = 108, kLoopHigh = 113;
constexpr double kEventY = -6;

constexpr std::array<const char*, 5> kStateCaptions = {
    "Nincs akku", "Gyors töltés", "Normál töltés", "Szintentartás", "Karbantartás"};
constexpr std::array<QRgb, 5> kStateColours = {0x40a0a0a0, 0x40ff4040, 0x4040c040, 0x404080ff,
                                               0x40ff9020};

// Left drag zooms into a time range (the view's rubber band), the wheel zooms around
// the pointer, right drag pans; only the time axis moves.
class HistoryChartView : public QChartView {
 public:
  using QChartView::QChartView;

 protected:
  void wheelEvent(QWheelEvent* event) override {
    const QRectF area = chart()->plotArea();
    const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
    const double x = event->position().x();
    const double left = (x - area.left()) * (1 - factor);
    const double right = (area.right() - x) * (1 - factor);
    chart()->zoomIn(
        QRectF(area.left() + left, area.top(), area.width() - left - right, area.height()));
    event->accept();
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      panFrom_ = event->position();
      panning_ = true;
      event->accept();
      return;
    }
    QChartView::mousePressEvent(event);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (panning_) {
      chart()->scroll(panFrom_.x() - event->position().x(), 0);
      panFrom_ = event->position();
      event->accept();
      return;
    }
    QChartView::mouseMoveEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      panning_ = false;
      event->accept();
      return;
    }
    QChartView::mouseReleaseEvent(event);
  }

 private:
  QPointF panFrom_;
  bool panning_ = false;
};

QAreaSeries* Band(QChart* chart, const QString& name, QColor colour) {
  auto* band = new QAreaSeries(new QLineSeries, new QLineSeries);
  band->setName(name);
  band->setColor(colour);
  band->setBorderColor(Qt::transparent);
  chart->addSeries(band);
  return band;
}

// Spans as a step line from low to high, with the baseline under them.
void FillBand(QAreaSeries* band, const std::vector<Span>& spans, double low, double high) {
  QList<QPointF> upper;
  upper.reserve(static_cast<qsizetype>(spans.size()) * 4);
  for (const Span& s : spans) {
    upper << QPointF(s.t0, low) << QPointF(s.t0, high) << QPointF(s.t1, high) << QPointF(s.t1, low);
  }
  QList<QPointF> lower;
  if (!spans.empty()) lower << QPointF(spans.front().t0, low) << QPointF(spans.back().t1, low);
  band->upperSeries()->replace(upper);
  band->lowerSeries()->replace(lower);
}

// The spans of one value among the runs, drawable at the given resolution and
// limited to what lies in [t0, t1].
std::vector<Span> Visible(const std::vector<Span>& runs, int value, double t0, double t1,
                          double pixel) {
  std::vector<Span> mine;
  for (const Span& s : runs) {
    if (s.value == value && s.t1 >= t0 && s.t0 <= t1) mine.push_back(s);
  }
  return history::MergeForDrawing(mine, pixel);
}

}  // namespace

QString EventText(const Entry& e) {
  const QString when = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(e.seconds * 1000))
                           .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  const QString detail = QString::fromStdString(e.detail);
  switch (e.kind) {
    case EntryKind::LinkUp:
      return when + Q(": a kapcsolat létrejött");
    case EntryKind::LinkLost:
      return when + Q(": a kapcsolat megszakadt");
    case EntryKind::LinkRestored:
      return when + Q(": a kapcsolat helyreállt");
    case EntryKind::ParameterUpload:
      return when + Q(": paraméterek feltöltve (") + detail + QLatin1Char(')');
    case EntryKind::CalibrationUpload:
      return when + Q(": kalibráció feltöltve (N = ") + detail + QLatin1Char(')');
    case EntryKind::FileOpened:
      return when + Q(": paraméterfájl megnyitva: ") + detail;
    case EntryKind::FileSaved:
      return when + Q(": paraméterfájl mentve: ") + detail;
    case EntryKind::Status:
      break;
  }
  return when;
}

HistoryWindow::HistoryWindow(history::Recorder& recorder, QWidget* parent)
    : QMainWindow(parent), recorder_(recorder) {
  setObjectName(QStringLiteral("HistoryWindow"));
  // Closing the main window ends the program even while the chart is open.
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(1000, 500);

  chart_ = new QChart;
  chart_->legend()->setAlignment(Qt::AlignBottom);
  chart_->setMargins(QMargins(4, 4, 4, 4));
  for (std::size_t s = 0; s < stateBands_.size(); ++s)
    stateBands_[s] = Band(chart_, Q(kStateCaptions[s]), QColor::fromRgba(kStateColours[s]));
  faultStrip_ = Band(chart_, Q("HIBA!"), QColor(0xff, 0, 0));
  calibrationStrip_ = Band(chart_, Q("Kalibrációs hurok!"), QColor(0xc0, 0, 0, 0x90));
  dutyLine_ = new QLineSeries;
  dutyLine_->setName(Q("PWM kitöltési tényezője"));
  dutyLine_->setColor(QColor(0x20, 0x20, 0x80));
  chart_->addSeries(dutyLine_);
  eventMarks_ = new QScatterSeries;
  eventMarks_->setName(Q("Események"));
  eventMarks_->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
  eventMarks_->setMarkerSize(11);
  eventMarks_->setColor(QColor(0x30, 0x30, 0x30));
  chart_->addSeries(eventMarks_);

  timeAxis_ = new QDateTimeAxis;
  timeAxis_->setFormat(QStringLiteral("MM-dd HH:mm"));
  timeAxis_->setTickCount(7);
  valueAxis_ = new QValueAxis;
  valueAxis_->setRange(-12, 116);
  valueAxis_->setTickType(QValueAxis::TicksDynamic);
  valueAxis_->setTickAnchor(0);
  valueAxis_->setTickInterval(25);
  valueAxis_->setLabelFormat(QStringLiteral("%d %%"));
  chart_->addAxis(timeAxis_, Qt::AlignBottom);
  chart_->addAxis(valueAxis_, Qt::AlignLeft);
  for (QAbstractSeries* s : chart_->series()) {
    s->attachAxis(timeAxis_);
    s->attachAxis(valueAxis_);
  }
  connect(timeAxis_, &QDateTimeAxis::rangeChanged, this, [this] { scheduleRedraw(); });
  connect(eventMarks_, &QScatterSeries::hovered, this,
          [this](const QPointF& p, bool entered) { eventTip(p, entered); });

  view_ = new HistoryChartView(chart_);
  view_->setObjectName(QStringLiteral("HistoryChart"));
  view_->setRenderHint(QPainter::Antialiasing, false);
  view_->setRubberBand(QChartView::HorizontalRubberBand);
  setCentralWidget(view_);

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

  recorder_.onEntry = [this](const Entry& e) {
    if (live_) add(e);
  };
  showLive();
}

HistoryWindow::~HistoryWindow() { recorder_.onEntry = nullptr; }

bool HistoryWindow::openFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray bytes = file.readAll();
  live_ = false;
  setWindowTitle(Q("Napló – ") + QFileInfo(path).fileName());
  setEntries(history::ReadCsv(std::string_view(bytes.constData(), bytes.size())));
  return true;
}

void HistoryWindow::showLive() {
  live_ = true;
  setWindowTitle(Q("Napló – Grafikon"));
  setEntries(recorder_.entries());
}

bool HistoryWindow::exportPng(const QString& path) { return view_->grab().save(path, "PNG"); }

void HistoryWindow::setEntries(const std::vector<Entry>& entries) {
  duty_.clear();
  state_.clear();
  fault_.clear();
  calibration_.clear();
  events_.clear();
  duty_.reserve(entries.size());
  state_.reserve(entries.size());
  fault_.reserve(entries.size());
  calibration_.reserve(entries.size());
  for (const Entry& e : entries) keep(e);
  showAll();
}

void HistoryWindow::add(const Entry& e) {
  const double t = e.seconds * 1000;
  const bool following =
      !duty_.empty() && timeAxis_->max().toMSecsSinceEpoch() >= static_cast<qint64>(duty_.back().t);
  keep(e);
  // A view that reaches the newest reply moves with the run.
  if (following && t > timeAxis_->max().toMSecsSinceEpoch()) {
    const qint64 width =
        timeAxis_->max().toMSecsSinceEpoch() - timeAxis_->min().toMSecsSinceEpoch();
    timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t) - width),
                        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t)));
  } else {
    scheduleRedraw();
  }
}

void HistoryWindow::keep(const Entry& e) {
  const double t = e.seconds * 1000;
  if (e.kind == EntryKind::Status) {
    duty_.push_back({t, e.duty * 100.0 / 255.0});
    state_.push_back({t, static_cast<double>(e.state)});
    fault_.push_back({t, e.fault ? 1.0 : 0.0});
    calibration_.push_back({t, e.calibrationLoop ? 1.0 : 0.0});
  } else {
    events_.push_back(e);
  }
}

void HistoryWindow::showAll() {
  double t0 = 0, t1 = 0;
  bool any = false;
  const auto widen = [&](double t) {
    t0 = any ? std::min(t0, t) : t;
    t1 = any ? std::max(t1, t) : t;
    any = true;
  };
  if (!duty_.empty()) {
    widen(duty_.front().t);
    widen(duty_.back().t);
  }
  for (const Entry& e : events_) widen(e.seconds * 1000);
  if (!any) t0 = t1 = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
  if (t1 - t0 < 60000) t1 = t0 + 60000;
  timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t0)),
                      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(t1)));
  redraw();
}

void HistoryWindow::scheduleRedraw() {
  if (redrawPending_) return;
  redrawPending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (redrawPending_) redraw();
  });
}

void HistoryWindow::redraw() {
  redrawPending_ = false;
  const double t0 = static_cast<double>(timeAxis_->min().toMSecsSinceEpoch());
  const double t1 = static_cast<double>(timeAxis_->max().toMSecsSinceEpoch());
  const int pixels = std::max(100, static_cast<int>(chart_->plotArea().width()));
  const double pixel = (t1 - t0) / pixels;
  // Seconds matter in a short view, the day in a long one.
  timeAxis_->setFormat(t1 - t0 < 3600e3 ? QStringLiteral("HH:mm:ss")
                                        : QStringLiteral("MM-dd HH:mm"));

  QList<QPointF> line;
  for (const Sample& s : history::MinMaxDownsample(duty_, t0, t1, pixels))
    line << QPointF(s.t, s.v);
  dutyLine_->replace(line);

  const std::vector<Span> states = history::Runs(state_, kMaxGapMs);
  for (int s = 0; s < static_cast<int>(stateBands_.size()); ++s)
    FillBand(stateBands_[s], Visible(states, s, t0, t1, pixel), 0, 100);
  FillBand(faultStrip_, Visible(history::Runs(fault_, kMaxGapMs), 1, t0, t1, pixel), kFaultLow,
           kFaultHigh);
  FillBand(calibrationStrip_, Visible(history::Runs(calibration_, kMaxGapMs), 1, t0, t1, pixel),
           kLoopLow, kLoopHigh);

  QList<QPointF> marks;
  for (const Entry& e : events_) marks << QPointF(e.seconds * 1000, kEventY);
  eventMarks_->replace(marks);
}

void HistoryWindow::eventTip(const QPointF& point, bool entered) {
  if (!entered || events_.empty()) {
    QToolTip::hideText();
    return;
  }
  const auto nearest = std::min_element(events_.begin(), events_.end(), [&](auto& a, auto& b) {
    return std::abs(a.seconds * 1000 - point.x()) < std::abs(b.seconds * 1000 - point.x());
  });
  QToolTip::showText(QCursor::pos(), EventText(*nearest), view_);
}

}  // namespace voltander

#include "qt/widgets/HistoryChart.h"

#include <QAreaSeries>
#include <QCursor>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "history/SessionSummary.h"

namespace voltander {

using history::Entry;
using history::EntryKind;
using history::Span;

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// Heights on the value axis: the duty runs 0 to 100 %, the strips sit above it and
// the event markers below.
constexpr double kFaultLow = 102, kFaultHigh = 107;
constexpr double kLoopLow = 108, kLoopHigh = 113;
constexpr double kEventY = -6;

constexpr std::array<QRgb, 5> kStateColours = {0x40a0a0a0, 0x40ff4040, 0x4040c040, 0x404080ff,
                                               0x40ff9020};

QAreaSeries* Band(QChart* chart, const QString& name, QColor colour) {
  auto* band = new QAreaSeries(new QLineSeries, new QLineSeries);
  band->setName(name);
  band->setColor(colour);
  band->setPen(Qt::NoPen);
  chart->addSeries(band);
  return band;
}

// Spans (in seconds) as a step line from low to high, with the baseline under them.
void FillBand(QAreaSeries* band, const std::vector<Span>& spans, double low, double high) {
  QList<QPointF> upper;
  upper.reserve(static_cast<qsizetype>(spans.size()) * 4);
  for (const Span& s : spans) {
    const double a = s.t0 * 1000, b = s.t1 * 1000;
    upper << QPointF(a, low) << QPointF(a, high) << QPointF(b, high) << QPointF(b, low);
  }
  QList<QPointF> lower;
  if (!spans.empty())
    lower << QPointF(spans.front().t0 * 1000, low) << QPointF(spans.back().t1 * 1000, low);
  band->upperSeries()->replace(upper);
  band->lowerSeries()->replace(lower);
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

HistoryChart::HistoryChart() {
  legend()->setAlignment(Qt::AlignBottom);
  setMargins(QMargins(4, 4, 4, 4));
  for (std::size_t s = 0; s < stateBands_.size(); ++s)
    stateBands_[s] =
        Band(this, Q(history::kStateCaptions[s]), QColor::fromRgba(kStateColours[s]));
  faultStrip_ = Band(this, Q("HIBA!"), QColor(0xff, 0, 0));
  calibrationStrip_ = Band(this, Q("Kalibrációs hurok!"), QColor(0xc0, 0, 0, 0x90));
  const QColor duty(0x20, 0x20, 0x80);
  dutyBand_ = Band(this, Q("PWM kitöltési tényezője"), duty);
  dutyLine_ = new QLineSeries;
  dutyLine_->setName(dutyBand_->name());
  QPen pen(duty, 1);
  pen.setCosmetic(true);
  dutyLine_->setPen(pen);
  addSeries(dutyLine_);
  // One legend entry for the duty, line or band.
  for (QLegendMarker* m : legend()->markers(dutyLine_)) m->setVisible(false);
  eventMarks_ = new QScatterSeries;
  eventMarks_->setName(Q("Események"));
  eventMarks_->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
  eventMarks_->setMarkerSize(11);
  eventMarks_->setColor(QColor(0x30, 0x30, 0x30));
  addSeries(eventMarks_);

  timeAxis_ = new QDateTimeAxis;
  timeAxis_->setFormat(QStringLiteral("MM-dd HH:mm"));
  timeAxis_->setTickCount(7);
  valueAxis_ = new QValueAxis;
  valueAxis_->setRange(-12, 116);
  valueAxis_->setTickType(QValueAxis::TicksDynamic);
  valueAxis_->setTickAnchor(0);
  valueAxis_->setTickInterval(25);
  valueAxis_->setLabelFormat(QStringLiteral("%d %%"));
  addAxis(timeAxis_, Qt::AlignBottom);
  addAxis(valueAxis_, Qt::AlignLeft);
  for (QAbstractSeries* s : series()) {
    s->attachAxis(timeAxis_);
    s->attachAxis(valueAxis_);
  }
  QObject::connect(eventMarks_, &QScatterSeries::hovered, eventMarks_,
                   [this](const QPointF& p, bool entered) { eventTip(p, entered); });
}

double HistoryChart::from() const { return timeAxis_->min().toMSecsSinceEpoch() / 1000.0; }
double HistoryChart::to() const { return timeAxis_->max().toMSecsSinceEpoch() / 1000.0; }

void HistoryChart::setRange(double t0, double t1) {
  timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(std::llround(t0 * 1000)),
                      QDateTime::fromMSecsSinceEpoch(std::llround(t1 * 1000)));
}

int HistoryChart::columns() const {
  return std::max(100, static_cast<int>(plotArea().width()));
}

void HistoryChart::draw(const history::ChartFrame& frame) {
  // Seconds matter in a short view, the day in a long one. Set only when it changes:
  // each setting lays the whole chart out again.
  const QString format =
      to() - from() < 3600 ? QStringLiteral("HH:mm:ss") : QStringLiteral("MM-dd HH:mm");
  if (timeAxis_->format() != format) timeAxis_->setFormat(format);
  const auto points = [](const std::vector<history::Sample>& samples) {
    QList<QPointF> out;
    out.reserve(static_cast<qsizetype>(samples.size()));
    for (const history::Sample& s : samples) out << QPointF(s.t * 1000, s.v);
    return out;
  };
  dutyLine_->replace(points(frame.duty));
  // A zoomed-out run is a band from each column's lowest to its highest duty: as a
  // line it would zigzag between them, which costs many times more to draw.
  dutyBand_->upperSeries()->replace(points(frame.dutyHigh));
  dutyBand_->lowerSeries()->replace(points(frame.dutyLow));
  for (std::size_t s = 0; s < stateBands_.size(); ++s)
    FillBand(stateBands_[s], frame.states[s], 0, 100);
  FillBand(faultStrip_, frame.fault, kFaultLow, kFaultHigh);
  FillBand(calibrationStrip_, frame.loop, kLoopLow, kLoopHigh);
  events_ = frame.events;
  QList<QPointF> marks;
  for (const Entry& e : events_) marks << QPointF(e.seconds * 1000, kEventY);
  eventMarks_->replace(marks);
}

void HistoryChart::eventTip(const QPointF& point, bool entered) {
  if (!entered || events_.empty()) {
    QToolTip::hideText();
    return;
  }
  const auto nearest = std::min_element(events_.begin(), events_.end(), [&](auto& a, auto& b) {
    return std::abs(a.seconds * 1000 - point.x()) < std::abs(b.seconds * 1000 - point.x());
  });
  QToolTip::showText(QCursor::pos(), EventText(*nearest));
}

}  // namespace voltander

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
#include "qt/widgets/HistoryBands.h"

namespace voltander {

using history::Entry;
using history::EntryKind;

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// Qt Charts stacks its series at 4, the axes at 3 and the grid at 2.
constexpr double kBandsZ = 3.5;

// Only a legend entry: what it stands for is painted by the bands.
QAreaSeries* Legend(QChart* chart, const QString& name, QRgb colour) {
  auto* entry = new QAreaSeries(new QLineSeries, new QLineSeries);
  entry->setName(name);
  entry->setColor(QColor::fromRgba(colour));
  entry->setPen(Qt::NoPen);
  chart->addSeries(entry);
  return entry;
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
  for (std::size_t s = 0; s < kStateColours.size(); ++s)
    Legend(this, Q(history::kStateCaptions[s]), kStateColours[s]);
  Legend(this, Q("HIBA!"), kFaultColour);
  Legend(this, Q("Kalibrációs hurok!"), kLoopColour);
  const QAreaSeries* dutyEntry = Legend(this, Q("PWM kitöltési tényezője"), kDutyColour);
  dutyLine_ = new QLineSeries;
  dutyLine_->setName(dutyEntry->name());
  QPen pen(QColor::fromRgba(kDutyColour), 1);
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
  valueAxis_->setRange(kValueMin, kValueMax);
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
  // Under the series Qt Charts draws (the duty line, the event markers), over the grid.
  bands_ = new HistoryBands(*this);
  bands_->setZValue(kBandsZ);
  QObject::connect(this, &QChart::plotAreaChanged, this, [this] { bands_->plotAreaChanged(); });
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
  bands_->draw(frame);
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

#include "qt/widgets/HistoryBands.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "qt/widgets/HistoryChart.h"

namespace voltander {

using history::Sample;
using history::Span;

namespace {

// Times and values to whole device pixels of the plot area, so every box is a plain
// fill; times far outside the view are held just outside it, where the clip drops them.
struct Pixels {
  Pixels(const QRectF& area, double from, double to)
      : area(area),
        from(from),
        to(to),
        perSecond(area.width() / (to - from)),
        perValue(area.height() / (kValueMax - kValueMin)) {}
  int x(double t) const {
    t = std::clamp(t, from - 2 / perSecond, to + 2 / perSecond);
    return static_cast<int>(std::floor(area.left() + (t - from) * perSecond));
  }
  int y(double v) const {
    return static_cast<int>(std::floor(area.top() + (kValueMax - v) * perValue));
  }
  QRectF area;
  double from, to, perSecond, perValue;
};

struct Layer {
  const std::vector<Span>* spans;
  QRgb colour;
};

// Spans that fill the whole height between low and high, as one row of pixel
// columns stretched to that height in a single draw. Filling each span's box
// instead costs a blend per scanline per span, and a long run has many narrow
// spans. At least one column each: a fault one reply long still shows in a month.
void Strip(QPainter* painter, const Pixels& px, std::initializer_list<Layer> layers, double low,
           double high) {
  const int left = static_cast<int>(std::floor(px.area.left()));
  const int width = static_cast<int>(std::ceil(px.area.right())) - left + 1;
  QImage row(width, 1, QImage::Format_ARGB32_Premultiplied);
  row.fill(Qt::transparent);
  {
    QPainter onRow(&row);
    for (const Layer& layer : layers) {
      for (const Span& s : *layer.spans) {
        const int a = px.x(s.t0) - left, b = px.x(s.t1) - left;
        onRow.fillRect(QRect(a, 0, std::max(1, b - a), 1), QColor::fromRgba(layer.colour));
      }
    }
  }
  const int top = px.y(high), bottom = px.y(low);
  painter->drawImage(QRect(left, top, width, std::max(1, bottom - top)), row);
}

}  // namespace

HistoryBands::HistoryBands(HistoryChart& chart) : QGraphicsItem(&chart), chart_(chart) {}

void HistoryBands::draw(const history::ChartFrame& frame) {
  states_ = frame.states;
  fault_ = frame.fault;
  loop_ = frame.loop;
  dutyLow_ = frame.dutyLow;
  dutyHigh_ = frame.dutyHigh;
  update();
}

void HistoryBands::plotAreaChanged() {
  prepareGeometryChange();
  update();
}

QRectF HistoryBands::boundingRect() const { return chart_.plotArea(); }

void HistoryBands::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
  const QRectF area = chart_.plotArea();
  const double from = chart_.from(), to = chart_.to();
  if (area.width() < 1 || area.height() < 1 || !(to > from)) return;
  const Pixels px(area, from, to);
  painter->save();
  painter->setClipRect(area);
  Strip(painter, px,
        {{&states_[0], kStateColours[0]},
         {&states_[1], kStateColours[1]},
         {&states_[2], kStateColours[2]},
         {&states_[3], kStateColours[3]},
         {&states_[4], kStateColours[4]}},
        0, 100);
  Strip(painter, px, {{&fault_, kFaultColour}}, kFaultLow, kFaultHigh);
  Strip(painter, px, {{&loop_, kLoopColour}}, kLoopLow, kLoopHigh);
  // The duty's columns sit at their middles, evenly: the closest two are one apart.
  const std::size_t n = std::min(dutyLow_.size(), dutyHigh_.size());
  double column = 1 / px.perSecond;
  for (std::size_t c = 1; c < n; ++c)
    column = c == 1 ? dutyLow_[1].t - dutyLow_[0].t
                    : std::min(column, dutyLow_[c].t - dutyLow_[c - 1].t);
  const QColor duty = QColor::fromRgba(kDutyColour);
  for (std::size_t c = 0; c < n; ++c) {
    double low = dutyLow_[c].v, high = dutyHigh_[c].v;
    // A jump between neighbouring columns is drawn through, as a line would be.
    if (c > 0 && dutyLow_[c].t - dutyLow_[c - 1].t < 1.5 * column) {
      low = std::min(low, dutyHigh_[c - 1].v);
      high = std::max(high, dutyLow_[c - 1].v);
    }
    const double t = dutyLow_[c].t;
    const int a = px.x(t - column / 2), b = px.x(t + column / 2);
    const int top = px.y(high), bottom = px.y(low) + 1;
    painter->fillRect(QRect(a, top, std::max(1, b - a), bottom - top), duty);
  }
  painter->restore();
}

}  // namespace voltander

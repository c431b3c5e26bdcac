// The chart's filled parts: the controller's states as bands under the duty, the
// fault and calibration-loop times as strips above it, and a zoomed-out duty as one
// stroke from lowest to highest per pixel column. Painted here as plain rectangles
// on the plot area rather than as Qt Charts area series, whose fill went through a
// path scan converter that grew dearer with the run: a rectangle costs its pixels.
#pragma once

#include <QColor>
#include <QGraphicsItem>
#include <array>
#include <vector>

#include "history/ChartFrame.h"

namespace voltander {

class HistoryChart;

// Heights on the value axis: the duty runs 0 to 100 %, the strips sit above it and
// the event markers below.
inline constexpr double kValueMin = -12, kValueMax = 116;
inline constexpr double kFaultLow = 102, kFaultHigh = 107;
inline constexpr double kLoopLow = 108, kLoopHigh = 113;
inline constexpr double kEventY = -6;

inline constexpr std::array<QRgb, 5> kStateColours = {0x40a0a0a0, 0x40ff4040, 0x4040c040,
                                                      0x404080ff, 0x40ff9020};
inline constexpr QRgb kFaultColour = 0xffff0000, kLoopColour = 0x90c00000, kDutyColour = 0xff202080;

class HistoryBands : public QGraphicsItem {
 public:
  // A child of the chart, whose axes and plot area it maps time and value through.
  explicit HistoryBands(HistoryChart& chart);

  void draw(const history::ChartFrame& frame);
  // The plot area moved or changed size.
  void plotAreaChanged();

  QRectF boundingRect() const override;
  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

 private:
  HistoryChart& chart_;
  std::array<std::vector<history::Span>, 5> states_;
  std::vector<history::Span> fault_, loop_;
  std::vector<history::Sample> dutyLow_, dutyHigh_;
};

}  // namespace voltander

// The charge-history chart itself: the duty as a line, the controller's states as
// coloured bands under it, the fault and calibration-loop times as strips above it
// and the events as markers. It draws a prepared frame and nothing else, so its
// cost follows the pixels, never the length of the run.
#pragma once

#include <QChart>
#include <QString>
#include <vector>

#include "history/ChartFrame.h"

class QDateTimeAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace voltander {

class HistoryBands;

class HistoryChart : public QChart {
 public:
  HistoryChart();

  // The visible time range, in seconds since the epoch.
  double from() const;
  double to() const;
  void setRange(double t0, double t1);
  QDateTimeAxis* timeAxis() const { return timeAxis_; }
  // The columns a frame is worked out for: the plot's width in pixels.
  int columns() const;
  void draw(const history::ChartFrame& frame);

 private:
  void eventTip(const QPointF& point, bool entered);

  QDateTimeAxis* timeAxis_ = nullptr;
  QValueAxis* valueAxis_ = nullptr;
  QLineSeries* dutyLine_ = nullptr;
  HistoryBands* bands_ = nullptr;
  QScatterSeries* eventMarks_ = nullptr;
  std::vector<history::Entry> events_;
};

// The text an event's marker shows when the pointer rests on it.
QString EventText(const history::Entry& e);

}  // namespace voltander

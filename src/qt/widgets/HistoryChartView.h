// How the user moves through the charge history: a left drag zooms into a time
// range (the view's rubber band), the wheel zooms around the pointer, a right drag
// pans. Only the time axis moves; what is drawn is the chart's business.
#pragma once

#include <QChartView>

namespace voltander {

class HistoryChartView : public QChartView {
 public:
  using QChartView::QChartView;

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPointF panFrom_;
  bool panning_ = false;
};

}  // namespace voltander

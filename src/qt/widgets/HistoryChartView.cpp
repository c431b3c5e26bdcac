#include "qt/widgets/HistoryChartView.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace voltander {

void HistoryChartView::wheelEvent(QWheelEvent* event) {
  const QRectF area = chart()->plotArea();
  const double factor = event->angleDelta().y() > 0 ? 0.8 : 1.25;
  const double x = event->position().x();
  const double left = (x - area.left()) * (1 - factor);
  const double right = (area.right() - x) * (1 - factor);
  chart()->zoomIn(
      QRectF(area.left() + left, area.top(), area.width() - left - right, area.height()));
  event->accept();
}

void HistoryChartView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    panFrom_ = event->position();
    panning_ = true;
    event->accept();
    return;
  }
  QChartView::mousePressEvent(event);
}

void HistoryChartView::mouseMoveEvent(QMouseEvent* event) {
  if (panning_) {
    chart()->scroll(panFrom_.x() - event->position().x(), 0);
    panFrom_ = event->position();
    event->accept();
    return;
  }
  QChartView::mouseMoveEvent(event);
}

void HistoryChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    panning_ = false;
    event->accept();
    return;
  }
  QChartView::mouseReleaseEvent(event);
}

}  // namespace voltander

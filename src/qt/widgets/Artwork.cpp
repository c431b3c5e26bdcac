#include "qt/widgets/Artwork.h"

#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <array>

namespace voltander {

namespace {

QPixmap Blank(QSize size) {
  QPixmap pm(size);
  pm.fill(Qt::transparent);
  return pm;
}

// A lightning bolt inside the given box.
QPolygonF Bolt(const QRectF& r) {
  auto at = [&r](double x, double y) {
    return QPointF(r.left() + x * r.width(), r.top() + y * r.height());
  };
  return QPolygonF({at(0.62, 0.0), at(0.15, 0.56), at(0.47, 0.56), at(0.36, 1.0), at(0.85, 0.40),
                    at(0.53, 0.40)});
}

void DrawBattery(QPainter& p, const QRectF& box) {
  const double capW = box.width() * 0.36;
  const double capH = box.height() * 0.08;
  const QRectF cap(box.center().x() - capW / 2, box.top(), capW, capH);
  const QRectF body(box.left(), box.top() + capH, box.width(), box.height() - capH);
  p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.5));
  p.setBrush(QColor(0x50, 0x50, 0x58));
  p.drawRoundedRect(cap, 1.5, 1.5);
  QLinearGradient shell(body.topLeft(), body.topRight());
  shell.setColorAt(0, QColor(0x3a, 0x3f, 0x4a));
  shell.setColorAt(0.5, QColor(0x6a, 0x70, 0x7c));
  shell.setColorAt(1, QColor(0x3a, 0x3f, 0x4a));
  p.setBrush(shell);
  p.drawRoundedRect(body, 3, 3);
  const QRectF inner = body.adjusted(3, 3, -3, -3);
  const QRectF charge(inner.left(), inner.top() + inner.height() * 0.35, inner.width(),
                      inner.height() * 0.65);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x00, 0xC0, 0x00));
  p.drawRect(charge);
  p.setBrush(QColor(0xFF, 0xD7, 0x00));
  p.setPen(QPen(QColor(0x80, 0x60, 0x00), 0.8));
  p.drawPolygon(Bolt(inner.adjusted(inner.width() * 0.18, inner.height() * 0.08,
                                    -inner.width() * 0.18, -inner.height() * 0.08)));
}

}  // namespace

QPixmap BatteryPicture(QSize size) {
  QPixmap pm = Blank(size);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const double w = size.width() * 0.56;
  DrawBattery(p, QRectF((size.width() - w) / 2, 2, w, size.height() - 4));
  return pm;
}

QPixmap ChargerPicture(QSize size) {
  QPixmap pm = Blank(size);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const double h = size.height();
  const double w = size.width();
  // The charger's case with a two-line display and two indicator lamps.
  const QRectF box(2, h * 0.12, w * 0.62, h * 0.76);
  QLinearGradient shell(box.topLeft(), box.bottomLeft());
  shell.setColorAt(0, QColor(0xd8, 0xdc, 0xe2));
  shell.setColorAt(1, QColor(0x9a, 0xa0, 0xaa));
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.2));
  p.setBrush(shell);
  p.drawRoundedRect(box, 4, 4);
  const QRectF display(box.left() + box.width() * 0.12, box.top() + box.height() * 0.16,
                       box.width() * 0.76, box.height() * 0.38);
  p.setBrush(QColor(0x10, 0x40, 0x10));
  p.drawRect(display);
  p.setPen(QPen(QColor(0x60, 0xFF, 0x60), 1.2));
  const double midY = display.center().y();
  p.drawLine(QPointF(display.left() + 3, midY + 3),
             QPointF(display.left() + display.width() * 0.35, midY - 3));
  p.drawLine(QPointF(display.left() + display.width() * 0.35, midY - 3),
             QPointF(display.right() - 3, midY - 3));
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 0.8));
  const double lampY = box.top() + box.height() * 0.72;
  const double lampR = box.height() * 0.08;
  p.setBrush(QColor(0xFF, 0x00, 0x00));
  p.drawEllipse(QPointF(box.left() + box.width() * 0.3, lampY), lampR, lampR);
  p.setBrush(QColor(0x00, 0xFF, 0x00));
  p.drawEllipse(QPointF(box.left() + box.width() * 0.5, lampY), lampR, lampR);
  // The lead to the battery, ending in a clamp.
  QPainterPath cable(QPointF(box.right(), box.top() + box.height() * 0.7));
  cable.cubicTo(QPointF(w * 0.78, h * 0.95), QPointF(w * 0.84, h * 0.3), QPointF(w - 6, h * 0.35));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0xC0, 0x00, 0x00), 2.0));
  p.drawPath(cable);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.0));
  p.setBrush(QColor(0xB0, 0x80, 0x30));
  p.drawRect(QRectF(w - 7, h * 0.24, 5, h * 0.2));
  return pm;
}

QIcon UploadIcon() {
  QPixmap pm = Blank(QSize(32, 32));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  // The controller's chip with its pins.
  p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.5));
  for (int i = 0; i < 4; ++i) {
    const double x = 9 + i * 5;
    p.drawLine(QPointF(x, 17), QPointF(x, 31));
  }
  p.setBrush(QColor(0x30, 0x34, 0x3c));
  p.drawRoundedRect(QRectF(5, 19, 22, 10), 2, 2);
  // The arrow going down into it.
  p.setPen(QPen(QColor(0x00, 0x60, 0x00), 1.0));
  p.setBrush(QColor(0x00, 0xB0, 0x00));
  p.drawPolygon(QPolygonF({QPointF(12, 1), QPointF(20, 1), QPointF(20, 9), QPointF(26, 9),
                           QPointF(16, 18), QPointF(6, 9), QPointF(12, 9)}));
  return QIcon(pm);
}

QIcon AppIcon() {
  // The packaged icon where this Qt can draw SVG, so the window and the desktop
  // entry show the same picture; a drawn battery otherwise.
  if (QImageReader::supportedImageFormats().contains("svg")) {
    return QIcon(QStringLiteral(":/voltander.svg"));
  }
  QIcon icon;
  for (int side : {16, 32, 64}) {
    QPixmap pm = Blank(QSize(side, side));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    DrawBattery(p, QRectF(side * 0.2, side * 0.06, side * 0.6, side * 0.88));
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

namespace {

struct Segment {
  int x1, y1, x2, y2;
};

// The divider circuit in twips: the reference rail with the trimmer, its wiper set
// from the slider's side, the test-pin tap, the controller's box driving the FET
// that switches the divider's foot to ground, and the measured input U on the left.
constexpr std::array<Segment, 27> kSketch{{
    {3480, 1320, 4440, 1320},  // Uref rail
    {3480, 1200, 3480, 1440},  // its terminal
    {4440, 1320, 4440, 1560},  // down to the trimmer
    {4380, 1560, 4500, 1560},  // trimmer body
    {4500, 1560, 4500, 2160}, {4380, 2160, 4500, 2160},
    {4380, 1560, 4380, 2160}, {5040, 1980, 4560, 1980},  // wiper
    {4560, 1980, 4680, 1920}, {4560, 1980, 4680, 2040},
    {4440, 2160, 4440, 2960},                            // divider node down to the FET
    {4440, 2520, 4360, 2520},                            // test-pin tap
    {4360, 2460, 4360, 2580}, {4320, 3000, 4320, 3480},  // FET gate plate
    {4440, 2960, 4440, 3520},                            // FET channel
    {4440, 3520, 4440, 3840},                            // source to ground
    {4260, 3840, 4620, 3840},                            // ground
    {4350, 3930, 4530, 3930}, {4410, 4020, 4470, 4020},
    {2400, 3120, 4200, 3120},  // controller box
    {4200, 3120, 4200, 3720}, {2400, 3720, 4200, 3720},
    {2400, 3120, 2400, 3720}, {4200, 3240, 4320, 3240},  // gate drive
    {1920, 1800, 2160, 1800},                            // input U
    {2160, 1800, 2160, 3480}, {2160, 3480, 2400, 3480},
}};

}  // namespace

void DrawDividerSketch(QPainter& p, const TwipScale& scale) {
  for (const Segment& s : kSketch) p.drawLine(scale.line(s.x1, s.y1, s.x2, s.y2));
}

}  // namespace voltander

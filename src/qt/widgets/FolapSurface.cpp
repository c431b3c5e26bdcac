#include "qt/widgets/FolapSurface.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

#include "qt/widgets/ChargeDiagram.h"

namespace voltander {

namespace {

// Printed text goes to the free strip of the left column, between the port frame
// and the link indicator, where no control covers it (the window's top-left
// corner lies under the port frame). The latest lines win when they do not fit.
constexpr int kPrintLeft = 120;
constexpr int kPrintTop = 870;
constexpr int kPrintBottom = 1440;

}  // namespace

FolapSurface::FolapSurface(TwipScale scale, QWidget* parent) : QWidget(parent), scale_(scale) {}

void FolapSurface::setPrinted(const QString& text) {
  if (printed_ == text) return;
  printed_ = text;
  update();
}

void FolapSurface::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintChargeDiagram(painter, scale_, font());

  if (printed_.isEmpty()) return;
  QString text = printed_;
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QStringList lines = text.split(QLatin1Char('\n'));
  while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  const QFontMetrics fm(font());
  const int room = scale_.px(kPrintBottom) - scale_.px(kPrintTop);
  const int fitting = qMax(1, room / fm.lineSpacing());
  if (lines.size() > fitting) lines = lines.mid(lines.size() - fitting);
  painter.setPen(palette().color(QPalette::WindowText));
  int y = scale_.px(kPrintTop) + fm.ascent();
  for (const QString& line : lines) {
    painter.drawText(scale_.px(kPrintLeft), y, line);
    y += fm.lineSpacing();
  }
}

}  // namespace voltander

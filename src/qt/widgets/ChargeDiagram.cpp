#include "qt/widgets/ChargeDiagram.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>

#include "qt/widgets/Twips.h"

namespace voltander {

namespace {

constexpr QRgb kBlack = 0x000000;
constexpr QRgb kLightBlue = 0x8080FF;
constexpr QRgb kDarkBlue = 0x0000C0;
constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kGreen = 0x00C000;
constexpr QRgb kOrange = 0xFF8000;

struct Segment {
  int x1, y1, x2, y2;
  QRgb colour;
  int width;  // pixels
  bool dotted;
};

constexpr Segment kSegments[] = {
    {1920, 360, 1920, 3120, kBlack, 2, false},      // voltage axis
    {1920, 3120, 7440, 3120, kBlack, 2, false},     // time axis
    {1920, 1320, 7440, 1320, kLightBlue, 1, true},  // upper threshold
    {1920, 1920, 7440, 1920, kDarkBlue, 1, true},   // lower threshold
    {1920, 3120, 2760, 1920, kRed, 1, false},       // fast charge
    {2760, 1920, 3720, 1320, kGreen, 1, false},     // normal charge
    {3720, 1320, 4560, 1560, kOrange, 1, false},    // fall while holding the level
    {4560, 1560, 4920, 1320, kGreen, 1, false},     // recharge
    {4920, 1320, 6240, 1920, kOrange, 1, false},    // maintenance discharge
    {6240, 1920, 6960, 1320, kGreen, 1, false},     // recharge
    {6960, 1320, 7440, 1440, kOrange, 1, false},    // fall
    {3720, 1320, 3720, 3120, kBlack, 1, true},      // markers
    {4920, 1320, 4920, 3120, kBlack, 1, true},     {4560, 1560, 4560, 2400, kBlack, 1, true},
    {6240, 1920, 6240, 2400, kBlack, 1, true},     {6480, 1800, 6480, 2400, kBlack, 1, true},
    {6720, 1560, 6720, 2400, kBlack, 1, true},     {6960, 1320, 6960, 2400, kBlack, 1, true},
};

struct Caption {
  int x, y;  // top-left corner of the text
  const char* text;
  bool bold;
};

constexpr Caption kCaptions[] = {
    {1680, 360, "U", false},
    {7320, 2880, "T", false},
    {1440, 1200, "Umax", false},
    {1440, 1800, "Umin", false},
    {2520, 2400, "Igyors", false},
    {2520, 1440, "Inormál", false},
    {5760, 1440, "Kisütés", false},
    {3600, 600, "Szabályzási görbe", true},
    {4440, 1080, "Szintentartás", false},
    {3720, 2160, "Hiszterézis", false},
    {3840, 2640, "Karbantartás", false},
    {3840, 2880, "késleltetése", false},
    {6120, 2520, "Mintavételezés", false},
};

}  // namespace

void PaintChargeDiagram(QPainter& painter, const TwipScale& scale, const QFont& font) {
  painter.save();
  for (const Segment& s : kSegments) {
    QPen pen(QColor::fromRgb(s.colour), s.width);
    pen.setStyle(s.dotted ? Qt::DotLine : Qt::SolidLine);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(scale.line(s.x1, s.y1, s.x2, s.y2));
  }
  painter.setPen(Qt::black);
  QFont bold = font;
  bold.setBold(true);
  for (const Caption& c : kCaptions) {
    painter.setFont(c.bold ? bold : font);
    const QPoint topLeft = scale.point(c.x, c.y);
    painter.drawText(topLeft + QPoint(0, QFontMetrics(painter.font()).ascent()),
                     QString::fromUtf8(c.text));
  }
  painter.restore();
}

}  // namespace voltander

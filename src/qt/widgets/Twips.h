// Window positions are given in twips (1440 to the inch); the screen's logical DPI
// turns them into pixels, so the layout keeps its proportions at any scaling.
#pragma once

#include <QLine>
#include <QPoint>
#include <QRect>
#include <cmath>

namespace voltander {

inline constexpr int kTwipsPerInch = 1440;

class TwipScale {
 public:
  explicit TwipScale(double dpi) : pxPerTwip_(dpi / kTwipsPerInch) {}
  double pxPerTwip() const { return pxPerTwip_; }
  int px(int twips) const { return static_cast<int>(std::lround(twips * pxPerTwip_)); }
  QPoint point(int x, int y) const { return {px(x), px(y)}; }
  // Edges are converted, not sizes, so neighbours that touch in twips touch on
  // screen and rounding never opens or closes a gap between them.
  QRect rect(int left, int top, int width, int height) const {
    return QRect(QPoint(px(left), px(top)), QPoint(px(left + width) - 1, px(top + height) - 1));
  }
  QLine line(int x1, int y1, int x2, int y2) const { return {point(x1, y1), point(x2, y2)}; }

 private:
  double pxPerTwip_;
};

// The scale of the primary screen.
TwipScale ScreenTwipScale();

}  // namespace voltander

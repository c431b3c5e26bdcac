// The static charge-curve diagram of the main window: axes, threshold lines, the
// charge, hold and discharge segments, dotted markers and their labels, all in
// window twips.
#pragma once

class QFont;
class QPainter;

namespace voltander {

class TwipScale;

// Draws the diagram with its labels in font (the title in its bold form).
void PaintChargeDiagram(QPainter& painter, const TwipScale& scale, const QFont& font);

}  // namespace voltander

#include "qt/widgets/FrameBox.h"

#include <QApplication>

namespace voltander {

FrameBox::FrameBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

// The caption is drawn with the frame's own text colours; a greyed caption takes
// the disabled colours for the active groups too. Controls inside set their text
// colours themselves (see ControlMirror), so the grey does not reach them.
void FrameBox::setCaptionEnabled(bool on) {
  if (captionEnabled_ == on) return;
  captionEnabled_ = on;
  QPalette p = QApplication::palette(this);
  if (!on) {
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text}) {
      const QColor grey = p.color(QPalette::Disabled, role);
      p.setColor(QPalette::Active, role, grey);
      p.setColor(QPalette::Inactive, role, grey);
    }
  }
  setPalette(p);
}

}  // namespace voltander

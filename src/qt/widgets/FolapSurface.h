// The main window's client area: it carries the controls and draws what lies
// beneath them, the charge-curve diagram and the text printed on the window.
#pragma once

#include <QString>
#include <QWidget>

#include "qt/widgets/Twips.h"

namespace voltander {

class FolapSurface : public QWidget {
 public:
  FolapSurface(TwipScale scale, QWidget* parent = nullptr);
  // Text printed on the window, lines separated by line breaks.
  void setPrinted(const QString& text);
  const QString& printed() const { return printed_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TwipScale scale_;
  QString printed_;
};

}  // namespace voltander

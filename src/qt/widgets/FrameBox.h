// A frame around other controls. Disabling a frame greys its caption only: the
// controls inside keep their own enabled look, so a lit state label stays lit.
#pragma once

#include <QGroupBox>

namespace voltander {

class FrameBox : public QGroupBox {
 public:
  explicit FrameBox(const QString& title, QWidget* parent = nullptr);
  void setCaptionEnabled(bool on);
  bool captionEnabled() const { return captionEnabled_; }

 private:
  bool captionEnabled_ = true;
};

}  // namespace voltander

// Keeps Qt widgets in step with the plain control models: every model change is
// copied to its widget (with the widget's signals blocked, so mirroring never looks
// like a user action) and every user action goes to the model's own entry point.
// The mirror detaches from the models when it goes, since they may outlive it.
#pragma once

#include <QColor>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "controls/Controls.h"

class QAbstractButton;
class QAction;
class QComboBox;
class QFontMetrics;
class QLabel;
class QLineEdit;
class QProgressBar;
class QWidget;

namespace voltander {

class FrameBox;

// The design-time look of a label that its model does not carry.
struct LabelLook {
  std::optional<QColor> text;        // text colour while enabled; greyed when disabled
  std::optional<QColor> background;  // used while the model gives none; else transparent
  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
  bool autoSize = false;  // the label grows with its caption from its top-left corner
};

QColor ToQColor(Color c);

class ControlMirror {
 public:
  ControlMirror() = default;
  ~ControlMirror();
  ControlMirror(const ControlMirror&) = delete;
  ControlMirror& operator=(const ControlMirror&) = delete;

  void label(QLabel* widget, Label& model, const LabelLook& look = {});
  void frame(FrameBox* widget, Frame& model);
  // A push button's caption wraps at blanks when it is wider than the button.
  void button(QAbstractButton* widget, Button& model);
  void textBox(QLineEdit* widget, TextBox& model);
  void progress(QProgressBar* widget, ProgressBar& model);
  void list(QComboBox* widget, ListBox& model);
  void menuItem(QAction* action, MenuItem& model);
  // The window's title and close request; printedChanged runs after a print.
  void window(QWidget* widget, WindowModel& model, std::function<void()> printedChanged);

 private:
  std::vector<Control*> controls_;
  std::vector<ListBox*> lists_;
  std::vector<WindowModel*> windows_;
};

// text broken at blanks into lines no wider than width, where the words allow.
QString WrapCaption(const QString& text, const QFontMetrics& metrics, int width);

}  // namespace voltander

#include "qt/widgets/ControlMirror.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>

#include "qt/widgets/FrameBox.h"

namespace voltander {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Explicit text colours for the enabled groups, so a widget's look never depends
// on what its frame inherits (a greyed frame caption must not grey the contents).
void SetTextColour(QWidget* w, const QColor& colour) {
  QPalette p = w->palette();
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
    p.setColor(g, QPalette::WindowText, colour);
  }
  w->setPalette(p);
}

void SetBackground(QWidget* w, const std::optional<QColor>& colour) {
  QPalette p = w->palette();
  if (colour) {
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
      p.setColor(g, QPalette::Window, *colour);
    }
  }
  w->setPalette(p);
  w->setAutoFillBackground(colour.has_value());
}

}  // namespace

QColor ToQColor(Color c) { return QColor((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); }

QString WrapCaption(const QString& text, const QFontMetrics& metrics, int width) {
  if (metrics.horizontalAdvance(text) <= width) return text;
  QStringList lines;
  QString line;
  for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
      lines << line;
      line = word;
    } else {
      line = candidate;
    }
  }
  if (!line.isEmpty()) lines << line;
  return lines.join(QLatin1Char('\n'));
}

ControlMirror::~ControlMirror() {
  for (Control* c : controls_) c->changed = nullptr;
  for (ListBox* l : lists_) l->entryChanged = nullptr;
  for (WindowModel* w : windows_) w->requestClose = nullptr;
}

void ControlMirror::label(QLabel* widget, Label& model, const LabelLook& look) {
  widget->setAlignment(look.alignment);
  // From the application, not the parent: a greyed frame caption must not become
  // the normal colour of the labels inside it.
  const QColor normalText =
      QApplication::palette(widget).color(QPalette::Active, QPalette::WindowText);
  SetTextColour(widget, look.text.value_or(normalText));
  auto sync = [widget, &model, look] {
    widget->setText(Q(model.caption()));
    std::optional<QColor> bg = look.background;
    if (model.background()) bg = ToQColor(*model.background());
    SetBackground(widget, bg);
    widget->setEnabled(model.enabled());
    widget->setVisible(model.visible());
    if (look.autoSize) widget->adjustSize();
  };
  model.changed = sync;
  controls_.push_back(&model);
  sync();
}

void ControlMirror::frame(FrameBox* widget, Frame& model) {
  auto sync = [widget, &model] {
    widget->setTitle(Q(model.caption()));
    widget->setCaptionEnabled(model.enabled());
    widget->setVisible(model.visible());
  };
  model.changed = sync;
  controls_.push_back(&model);
  sync();
}

void ControlMirror::button(QAbstractButton* widget, Button& model) {
  auto sync = [widget, &model] {
    const QString caption = Q(model.caption());
    const bool wraps = qobject_cast<QPushButton*>(widget) != nullptr;
    // Room for the bevel and the margins on both sides.
    const int room = widget->width() - 8;
    widget->setText(wraps ? WrapCaption(caption, widget->fontMetrics(), room) : caption);
    widget->setEnabled(model.enabled());
    widget->setVisible(model.visible());
  };
  model.changed = sync;
  controls_.push_back(&model);
  QObject::connect(widget, &QAbstractButton::clicked, widget, [&model] { model.click(); });
  sync();
}

void ControlMirror::textBox(QLineEdit* widget, TextBox& model) {
  auto sync = [widget, &model] {
    const QString text = Q(model.text());
    if (widget->text() != text) widget->setText(text);
    widget->setEnabled(model.enabled());
    widget->setVisible(model.visible());
  };
  model.changed = sync;
  controls_.push_back(&model);
  sync();
}

void ControlMirror::progress(QProgressBar* widget, ProgressBar& model) {
  auto sync = [widget, &model] {
    // A progress bar repaints and flushes at once on every new value, which suits
    // loops that starve the event loop. Here a reply can set the bar twice (the duty,
    // then 0 when not charging): the new value is painted once, with the reply's
    // other changes, when the event loop next paints.
    widget->setUpdatesEnabled(false);
    widget->setRange(model.minimum(), model.maximum());
    widget->setValue(model.value());
    widget->setUpdatesEnabled(true);
    widget->setEnabled(model.enabled());
    widget->setVisible(model.visible());
  };
  model.changed = sync;
  controls_.push_back(&model);
  sync();
}

void ControlMirror::list(QComboBox* widget, ListBox& model) {
  const QPalette plain = widget->palette();
  auto refill = [widget, &model] {
    widget->clear();
    QStringList texts;
    texts.reserve(static_cast<int>(model.count()));
    for (const std::string& e : model.entries()) texts << Q(e);
    widget->addItems(texts);
  };
  auto sync = [widget, &model, plain, refill] {
    const QSignalBlocker block(widget);
    // Entry texts arrive one by one through entryChanged; a count that differs
    // here means the list was cleared or refilled wholesale.
    if (widget->count() != static_cast<int>(model.count())) refill();
    widget->setCurrentIndex(model.selected());
    QPalette p = plain;
    if (model.background()) {
      const QColor c = ToQColor(*model.background());
      for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(g, QPalette::Button, c);
        p.setColor(g, QPalette::Base, c);
      }
    }
    widget->setPalette(p);
    widget->setEnabled(model.enabled());
    widget->setVisible(model.visible());
  };
  model.changed = sync;
  // Called for every entry of a rebuild, so it touches that one entry only.
  model.entryChanged = [widget, &model, refill](std::size_t n) {
    const QSignalBlocker block(widget);
    const int i = static_cast<int>(n);
    if (i == widget->count()) {
      widget->addItem(Q(model.text(n)));
      // A combo box selects its first entry by itself; the model says otherwise.
      if (widget->currentIndex() != model.selected()) widget->setCurrentIndex(model.selected());
    } else if (i < widget->count()) {
      widget->setItemText(i, Q(model.text(n)));
    } else {
      refill();
      widget->setCurrentIndex(model.selected());
    }
  };
  controls_.push_back(&model);
  lists_.push_back(&model);
  // activated, not currentIndexChanged: choosing the entry already shown is a
  // choice too and runs the list's handler again.
  QObject::connect(widget, &QComboBox::activated, widget, [widget, &model, sync](int index) {
    model.select(index);
    // The handler may have moved the selection elsewhere or left it unchanged.
    if (widget->currentIndex() != model.selected()) sync();
  });
  sync();
}

void ControlMirror::menuItem(QAction* action, MenuItem& model) {
  auto sync = [action, &model] {
    const QSignalBlocker block(action);
    action->setText(Q(model.caption()));
    action->setChecked(model.checked());
    action->setEnabled(model.enabled());
    action->setVisible(model.visible());
  };
  model.changed = sync;
  controls_.push_back(&model);
  QObject::connect(action, &QAction::triggered, action, [&model, sync] {
    model.click();
    // Qt flips a checkable action by itself; the handler decides the mark.
    sync();
  });
  sync();
}

void ControlMirror::window(QWidget* widget, WindowModel& model,
                           std::function<void()> printedChanged) {
  auto sync = [widget, &model, printedChanged] {
    widget->setWindowTitle(Q(model.title()));
    if (printedChanged) printedChanged();
  };
  model.changed = sync;
  model.requestClose = [widget] { widget->close(); };
  controls_.push_back(&model);
  windows_.push_back(&model);
  sync();
}

}  // namespace voltander

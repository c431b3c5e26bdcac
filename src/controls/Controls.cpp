#include "controls/Controls.h"

#include <utility>

namespace voltander {

void Control::setEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  notify();
}

void Control::setVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  notify();
}

void Control::notify() const {
  if (changed) changed();
}

void Label::setCaption(std::string text) {
  if (caption_ == text) return;
  caption_ = std::move(text);
  notify();
}

void Label::setBackground(std::optional<Color> color) {
  if (background_ == color) return;
  background_ = color;
  notify();
}

void TextBox::setText(std::string text) {
  if (text_ == text) return;
  text_ = std::move(text);
  notify();
}

void Button::click() {
  if (onClick) onClick();
}

void CheckBox::toggle() {
  setChecked(!checked_);
  click();
}

void CheckBox::setChecked(bool on) {
  if (checked_ == on) return;
  checked_ = on;
  notify();
}

void MenuItem::setChecked(bool on) {
  if (checked_ == on) return;
  checked_ = on;
  notify();
}

void ProgressBar::setValue(int v) {
  if (v < min_) v = min_;
  if (v > max_) v = max_;
  if (value_ == v) return;
  value_ = v;
  notify();
}

void ProgressBar::setRange(int lo, int hi) {
  min_ = lo;
  max_ = hi;
  if (value_ < lo) value_ = lo;
  if (value_ > hi) value_ = hi;
  notify();
}

void Slider::scrollTo(int v) {
  setValue(v);
  if (onScroll) onScroll();
}

void ListBox::clear() {
  entries_.clear();
  selected_ = -1;
  notify();
}

void ListBox::addEntry(std::string text) { writeEntry(entries_.size(), std::move(text)); }

void ListBox::writeEntry(std::size_t n, std::string text) {
  if (n == entries_.size()) {
    entries_.push_back(std::move(text));
  } else if (n < entries_.size()) {
    if (entries_[n] == text) return;
    entries_[n] = std::move(text);
  } else {
    return;  // a gap would leave entries without text; writers fill in order
  }
  if (entryChanged) entryChanged(n);
}

void ListBox::setSelectedSilently(int index) {
  if (index < -1 || index >= static_cast<int>(entries_.size())) index = -1;
  if (selected_ == index) return;
  selected_ = index;
  notify();
}

void ListBox::select(int index) {
  setSelectedSilently(index);
  if (onSelect) onSelect();
}

std::string ListBox::selectedText() const {
  return selected_ >= 0 ? entries_[static_cast<std::size_t>(selected_)] : std::string();
}

void ListBox::setBackground(std::optional<Color> color) {
  if (background_ == color) return;
  background_ = color;
  notify();
}

void WindowModel::setTitle(std::string text) {
  if (title_ == text) return;
  title_ = std::move(text);
  notify();
}

void WindowModel::print(const std::string& text) {
  printed_ += text;
  notify();
}

}  // namespace voltander

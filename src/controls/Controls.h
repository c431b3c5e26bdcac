// Plain models of the window controls. A form owns them and its handlers read and
// write them; a toolkit window mirrors them through the observer and forwards the
// user's actions to the same entry points the code uses, so a selection made from
// code runs exactly the handler a user's selection runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace voltander {

// A colour as 0xRRGGBB.
using Color = std::uint32_t;

inline constexpr Color kRed = 0xFF0000;
inline constexpr Color kGreen = 0x00FF00;
inline constexpr Color kLightRed = 0xFF8080;

// Base of every control: enabled and visible, and one observer told after a change.
class Control {
 public:
  bool enabled() const { return enabled_; }
  void setEnabled(bool on);
  bool visible() const { return visible_; }
  void setVisible(bool on);

  // Set by the mirroring window; called after any property changes.
  std::function<void()> changed;

 protected:
  void notify() const;

 private:
  bool enabled_ = true;
  bool visible_ = true;
};

class Label : public Control {
 public:
  const std::string& caption() const { return caption_; }
  void setCaption(std::string text);
  // nullopt: the window's normal background.
  std::optional<Color> background() const { return background_; }
  void setBackground(std::optional<Color> color);

 private:
  std::string caption_;
  std::optional<Color> background_;
};

// A frame around other controls; disabling it greys its caption.
class Frame : public Label {};

class TextBox : public Control {
 public:
  const std::string& text() const { return text_; }
  void setText(std::string text);

 private:
  std::string text_;
};

class Button : public Label {
 public:
  // The user's click, or a click from code.
  void click();
  std::function<void()> onClick;
};

class CheckBox : public Button {
 public:
  bool checked() const { return checked_; }
  // The user's click flips the mark and then runs onClick.
  void toggle();
  void setChecked(bool on);

 private:
  bool checked_ = false;
};

class MenuItem : public Button {
 public:
  bool checked() const { return checked_; }
  void setChecked(bool on);

 private:
  bool checked_ = false;
};

class ProgressBar : public Control {
 public:
  int value() const { return value_; }
  void setValue(int v);
  int minimum() const { return min_; }
  int maximum() const { return max_; }
  void setRange(int lo, int hi);

 private:
  int value_ = 0;
  int min_ = 0;
  int max_ = 100;
};

class Slider : public ProgressBar {
 public:
  // The user moved the slider to v: the value changes, then onScroll runs.
  void scrollTo(int v);
  std::function<void()> onScroll;
};

// A drop-down list without typed text: entries, one selection (-1 for none) and a
// background colour.
class ListBox : public Control {
 public:
  std::size_t count() const { return entries_.size(); }
  const std::string& text(std::size_t n) const { return entries_.at(n); }
  const std::vector<std::string>& entries() const { return entries_; }
  void clear();
  void addEntry(std::string text);
  // Entry n: appended when the list has exactly n entries, replaced in place when
  // it has more. The selection never moves.
  void writeEntry(std::size_t n, std::string text);

  int selected() const { return selected_; }
  // Makes index (or -1) the selection and runs onSelect, as a user's choice does:
  // clearing the selection from code has the same effect as choosing an entry.
  void select(int index);
  // Changes the selection without running onSelect.
  void setSelectedSilently(int index);
  // The selected entry's text, "" without a selection.
  std::string selectedText() const;

  std::optional<Color> background() const { return background_; }
  void setBackground(std::optional<Color> color);

  std::function<void()> onSelect;
  // Told after entry n was appended or rewritten (changed covers everything else).
  std::function<void(std::size_t n)> entryChanged;
  // A key pressed while the list has the focus (character code).
  std::function<void(int key)> onKeyPress;

 private:
  std::vector<std::string> entries_;
  int selected_ = -1;
  std::optional<Color> background_;
};

// The window itself: its title and the text printed on its surface.
class WindowModel : public Control {
 public:
  const std::string& title() const { return title_; }
  void setTitle(std::string text);
  const std::string& printed() const { return printed_; }
  // Prints text on the window surface, after what is printed already.
  void print(const std::string& text);

  // Set by the mirroring window: closes the window, which runs the form's unload.
  std::function<void()> requestClose;

 private:
  std::string title_;
  std::string printed_;
};

}  // namespace voltander

#include <gtest/gtest.h>

#include <functional>

#include "controls/Controls.h"

namespace voltander {
namespace {

// A mirroring window repaints on every notification, so each setter must tell it
// exactly once per real change and never when nothing changed.
TEST(Controls, EverySetterNotifiesOncePerChangeAndNotForTheSameValue) {
  Label label;
  MenuItem item;
  CheckBox box;
  ProgressBar bar;
  TextBox text;
  ListBox list;
  WindowModel window;
  list.addEntry("a");
  list.addEntry("b");
  // clang-format off
  const std::pair<Control*, std::function<void()>> setters[] = {
      {&label, [&] { label.setCaption("x"); }},    {&label, [&] { label.setBackground(kRed); }},
      {&label, [&] { label.setEnabled(false); }},  {&label, [&] { label.setVisible(false); }},
      {&item, [&] { item.setChecked(true); }},     {&box, [&] { box.setChecked(true); }},
      {&bar, [&] { bar.setValue(7); }},            {&text, [&] { text.setText("t"); }},
      {&list, [&] { list.setSelectedSilently(1); }}, {&list, [&] { list.setBackground(kLightRed); }},
      {&window, [&] { window.setTitle("T"); }}};
  // clang-format on
  for (std::size_t i = 0; i < std::size(setters); ++i) {
    int told = 0;
    setters[i].first->changed = [&] { ++told; };
    setters[i].second();
    setters[i].second();
    EXPECT_EQ(told, 1) << "setter " << i;
    setters[i].first->changed = nullptr;
  }
  int told = 0;
  list.changed = [&] { ++told; };
  list.clear();
  EXPECT_EQ(told, 1);
  EXPECT_EQ(list.selected(), -1);
  bar.changed = [&] { ++told; };
  bar.setRange(0, 5);
  EXPECT_EQ(told, 2);
}

}  // namespace
}  // namespace voltander

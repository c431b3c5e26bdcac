// The controller must keep what the upload sent: its next report of the stored set
// on a new connection brings the same selections back.
#include <gtest/gtest.h>

#include "adapter/WireFixture.h"

namespace voltander {
namespace {

using test::ProcessEventsUntil;

TEST(UploadWire, TheSetArrivesByteForByteAndTheControllerReportsItBack) {
  test::WireRig rig(43, {"--ratio", "4000"});
  Folap& f = rig.form;
  // The stored set arriving later would overwrite selections made before it.
  ASSERT_TRUE(
      ProcessEventsUntil([&] { return f.window.title().ends_with("(*Kontroller*)"); }, 10000));
  const std::array<int, 7> chosen{14, 4, 25, 0, 9, 0, 0};  // in lists.all() order
  for (std::size_t i = 0; i < chosen.size(); ++i) f.lists.all()[i]->select(chosen[i]);
  f.Fel.click();
  ASSERT_FALSE(rig.dialogs.shown.empty());
  EXPECT_EQ(rig.dialogs.shown.back().text, "Az adatok feltöltése megtörtént!");
  EXPECT_TRUE(rig.timer.enabled());
  EXPECT_EQ(test::FramesWithLetter(rig.sim, 'I'),
            (std::vector<test::FrameBytes>{{83, 73, 178, 159, 175, 165, 1, 10, 1, 84}}));

  for (ListBox* list : f.lists.all()) list->select(-1);
  f.link.ShowLinkLost();  // the next tick opens a new connection
  ASSERT_TRUE(ProcessEventsUntil([&] { return f.Minta.selected() != -1; }, 10000));
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    EXPECT_EQ(f.lists.all()[i]->selected(), chosen[i]) << "list " << i;
  }
}

}  // namespace
}  // namespace voltander

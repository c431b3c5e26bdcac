// The calibration commands must reach the controller as sent, and the ratio it
// reports afterwards must be taken over by the polling that resumes.
#include <gtest/gtest.h>

#include "adapter/WireFixture.h"
#include "calibration/CalibrationTexts.h"
#include "calibration/Oszto.h"

namespace voltander {
namespace {

using Frames = std::vector<test::FrameBytes>;

TEST(CalibrationWire, ModeAndUploadFramesReachTheControllerAndItsReportedRatioIsTakenOver) {
  test::WireRig rig(41, {"--ratio", "4000", "--state", "2"});
  ASSERT_TRUE(test::ProcessEventsUntil([&] { return rig.kozos.LiveLink; }, 10000));
  rig.dialogs.calibrationScript = [](Oszto& w) {
    w.Kalib.click();    // answered Yes
    w.Rhi.select(166);  // 5.00 V / 1.66 V
    w.Ufel.click();
  };
  rig.form.BFesz_Click();
  ASSERT_FALSE(rig.dialogs.shown.empty());
  EXPECT_EQ(rig.dialogs.shown.back().text, calibration_text::kUploadDone);
  EXPECT_EQ(rig.kozos.DividerRatio, 3.0120482f);
  EXPECT_TRUE(rig.timer.enabled());
  EXPECT_EQ(test::FramesWithLetter(rig.sim, 'U'),
            (Frames{{'S', 'U', 11, 196, 'Z', 'E', 'P', 'H', ' ', 'T'}}));
  EXPECT_EQ(test::FramesWithLetter(rig.sim, 'K'),
            (Frames{{'S', 'K', '0', '0', '0', '0', '0', '0', '0', 'T'}}));
  // The resumed polling brings the controller's own rounding of the ratio.
  EXPECT_TRUE(test::ProcessEventsUntil([&] { return rig.kozos.DividerRatio == 3.012f; }, 10000))
      << "ratio " << rig.kozos.DividerRatio;
}

}  // namespace
}  // namespace voltander

// A device that goes away while polled, as a pulled USB adapter, and comes back: the
// user is told once, and choosing the port again brings the link back.
#include <gtest/gtest.h>

#include "adapter/link/LinkWindowRig.h"
#include "adapter/qt/PtyFixture.h"

namespace voltander::test {
namespace {

TEST(DeviceLoss, VanishedDeviceIsReportedOnceAndChoosingThePortAgainReconnects) {
  // Comm 205 has no built-in device to fall back on once the simulator's link goes.
  LinkWindowRig rig(205, {"--exit-after", "3"});
  ASSERT_TRUE(ProcessEventsUntil(
      [&] { return rig.window.windowTitle().endsWith(" (*Kontroller*)"); }, 3 * kTickMs));
  ASSERT_TRUE(rig.sim().waitExit(5000)) << "the simulator did not go away";

  // The first tick without a reply cannot re-open the port and gives it up.
  ASSERT_TRUE(ProcessEventsUntil([&] { return !rig.dialogs.shown.empty(); }, 3 * kTickMs));
  EXPECT_EQ(rig.dialogs.shown[0].text, "Érvénytelen port szám! Kérem válasszon másikat!");
  EXPECT_EQ(rig.dialogs.shown[0].icon, Icon::Critical);
  EXPECT_EQ(rig.noConnectionLookDiffers(), "");
  // Two more periods: no further box, no polling of a port that is not there, and
  // no loop retrying the device (well under 5 % of a core).
  const auto cpuBefore = CpuTimeUsed();
  ProcessEventsFor(2 * kTickMs + 500);
  EXPECT_LT((CpuTimeUsed() - cpuBefore).count(), 0.05 * (2 * kTickMs + 500) * 1000);
  EXPECT_EQ(rig.dialogs.shown.size(), 1u);
  QComboBox* ports = rig.list("Portok");
  EXPECT_EQ(ports->currentIndex(), -1);
  EXPECT_FALSE(rig.timer.enabled());
  EXPECT_FALSE(rig.port.isOpen());

  // Plugged in again and chosen again from the list.
  rig.restartSimulator({});
  ports->setCurrentIndex(rig.comm - 1);
  emit ports->activated(rig.comm - 1);
  EXPECT_TRUE(rig.port.isOpen());
  EXPECT_TRUE(rig.timer.enabled());
  ASSERT_TRUE(ProcessEventsUntil([&] { return rig.looksConnected() && rig.version() == "V200401"; },
                                 2 * kTickMs + 1500));
  EXPECT_EQ(rig.dialogs.shown.size(), 1u);
  rig.window.close();
  EXPECT_EQ(rig.settings.get("Voltander", "Setup", "Portok", ""),
            " " + std::to_string(rig.comm - 1));
}

}  // namespace
}  // namespace voltander::test

// The controller's device goes away while the real program polls it (the pseudo-
// terminal vanishes, as an unplugged adapter would): the program reports it and then
// sits idle and responsive for as long as the user takes to notice.
#include <chrono>
#include <thread>

#include "e2e/ProgramWithController.h"

namespace voltander::test {
namespace {

using DeviceLossSoak = ProgramWithController;

constexpr int kWatchMs = 30000;

TEST_F(DeviceLossSoak, ProgramStaysIdleAndAliveAfterTheDeviceVanished) {
  // Comm 150 has no built-in device to fall back on once the simulator's link goes.
  start({"--exit-after", "3"}, 150);
  ASSERT_TRUE(sim_->waitExit(20000)) << "the simulator did not go away";
  ASSERT_EQ(Letters(sim_->frames()), "RVO");

  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_TRUE(program_->running()) << program_->output();
  const auto before = CpuSeconds(program_->pid());
  std::this_thread::sleep_for(std::chrono::milliseconds(kWatchMs));
  ASSERT_TRUE(program_->running()) << "the program ended; its output:\n" << program_->output();
  const auto after = CpuSeconds(program_->pid());
  ASSERT_TRUE(before && after);
  RecordProperty("cpu_ms", static_cast<int>((*after - *before) * 1000));
  // Below 5 % of one core: no loop retrying the device or polling a closed port.
  EXPECT_LT(*after - *before, 0.05 * kWatchMs / 1000.0)
      << "processor seconds used in " << kWatchMs / 1000 << " s after the device went away";

  stopProgram();
  // The report of the lost port still waits for its OK when the session ends; the
  // choice is given up only once the user has read it, so it is still stored.
  EXPECT_EQ(SettingsValue(config_.path(), "Setup", "Portok"), "\" 149\"");
}

}  // namespace
}  // namespace voltander::test

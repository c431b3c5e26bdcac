// The controller's device vanishes while the real program polls it, as an unplugged
// adapter would: the program must sit idle and alive until the user notices.
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "e2e/ProgramWithController.h"

namespace voltander::test {
namespace {

using DeviceLossSoak = ProgramWithController;

constexpr int kWatchMs = 30000;

TEST_F(DeviceLossSoak, ProgramStaysIdleAndAliveAfterTheDeviceVanished) {
  // Comm 150 has no built-in device to fall back on once the simulator's link goes.
  start({"--exit-after", "3"}, 150);
  const auto simStatus = sim_->waitExit(20000);
  ASSERT_TRUE(simStatus) << "the simulator did not go away";
  EXPECT_TRUE(WIFEXITED(*simStatus) && WEXITSTATUS(*simStatus) == 0);
  ASSERT_EQ(Letters(sim_->frames()), "RVO");
  EXPECT_FALSE(std::filesystem::exists(
      std::filesystem::symlink_status(config_.file("Voltander/ports/COM150"))))
      << "the simulator left its port link behind";

  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const auto before = CpuSeconds(program_->pid());
  std::this_thread::sleep_for(std::chrono::milliseconds(kWatchMs));
  ASSERT_TRUE(program_->running()) << program_->output();
  const auto after = CpuSeconds(program_->pid());
  ASSERT_TRUE(before && after);
  RecordProperty("cpu_ms", static_cast<int>((*after - *before) * 1000));
  // Below 5 % of one core: no loop retrying the device or polling a closed port.
  EXPECT_LT(*after - *before, 0.05 * kWatchMs / 1000.0);

  stopProgram();
  // The lost-port box still waits for its OK, so the choice is not yet given up.
  EXPECT_EQ(setting("Portok"), "\" 149\"");
}

}  // namespace
}  // namespace voltander::test

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "link/Frame.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

// The program's side of the line, opened the way a serial port is: raw.
class Line {
 public:
  explicit Line(const std::string& device) : fd_(open(device.c_str(), O_RDWR | O_NOCTTY)) {
    termios t{};
    if (fd_ >= 0 && tcgetattr(fd_, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(fd_, TCSANOW, &t);
    }
  }
  ~Line() {
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return fd_ >= 0; }

  void send(std::uint8_t letter, const Payload& p = kFillerPayload) {
    const FrameBytes f = EncodeFrame(letter, p);
    ASSERT_EQ(write(fd_, f.data(), f.size()), 10);
  }

  // Up to n bytes, or fewer when the line stays quiet for timeoutMs; nothing more
  // comes after a hang-up.
  std::vector<std::uint8_t> receive(std::size_t n, int timeoutMs = 3000) {
    std::vector<std::uint8_t> got;
    while (got.size() < n) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, timeoutMs) <= 0) break;
      std::uint8_t buf[64];
      const ssize_t r = read(fd_, buf, std::min(sizeof buf, n - got.size()));
      if (r <= 0) {
        hungUp_ = true;
        break;
      }
      got.insert(got.end(), buf, buf + r);
    }
    return got;
  }
  bool hungUp() const { return hungUp_; }

 private:
  int fd_;
  bool hungUp_ = false;
};

TEST(SimulatorProcess, RegistersItsPortAndRemovesTheLinkAtExit) {
  TempDir config("voltander-sim-port");
  SimProcess sim({"--port", "5"}, {{"XDG_CONFIG_HOME", config.path()}});
  const std::string link = config.path() + "/Voltander/ports/COM5";
  ASSERT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(std::filesystem::read_symlink(link).string(), sim.device());
  sim.stop();
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimulatorProcess, LineSurvivesThePortBeingClosedAndOpenedAgain) {
  SimProcess sim({"--version", "ABC"});
  {
    Line line(sim.device());
    ASSERT_TRUE(line.ok());
    line.send(kPoll);
    const auto reply = line.receive(10);
    ASSERT_EQ(reply.size(), 10u);
    EXPECT_EQ(reply[1], kStatusReply);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Line again(sim.device());
  ASSERT_TRUE(again.ok());
  again.send(kVersionRequest);
  EXPECT_EQ(again.receive(10),
            (std::vector<std::uint8_t>{'S', 'V', 'A', 'B', 'C', ' ', ' ', ' ', '0', 'T'}));
  EXPECT_EQ(Letters(sim.frames()), "RV");
}

TEST(SimulatorProcess, UploadedParametersAreReportedBackAndLogged) {
  SimProcess sim;
  Line line(sim.device());
  ASSERT_TRUE(line.ok());
  const Payload uploaded{178, 159, 175, 165, 1, 10, 1};
  line.send(kParameterUpload, uploaded);
  line.send(kParameterRequest);
  const auto reply = line.receive(10);
  ASSERT_EQ(reply.size(), 10u);
  EXPECT_TRUE(std::equal(uploaded.begin(), uploaded.end(), reply.begin() + 2));

  const auto frames = sim.waitForFrames([](const auto& f) { return f.size() >= 2; }, 3000);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].bytes, EncodeFrame(kParameterUpload, uploaded));
  EXPECT_LE(frames[0].usec, frames[1].usec);
  const auto now = std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  EXPECT_NEAR(static_cast<double>(frames[1].usec), static_cast<double>(now), 10e6)
      << "times are microseconds since the epoch";
}

TEST(SimulatorProcess, DeviceGoesAwayAfterTheLastReply) {
  TempDir config("voltander-sim-exit");
  SimProcess sim({"--exit-after", "1", "--port", "9"}, {{"XDG_CONFIG_HOME", config.path()}});
  Line line(sim.device());
  ASSERT_TRUE(line.ok());
  line.send(kPoll);
  EXPECT_EQ(line.receive(10).size(), 10u);
  const auto status = sim.waitExit(5000);
  ASSERT_TRUE(status);
  EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
  line.receive(1, 1000);
  EXPECT_TRUE(line.hungUp());
  EXPECT_FALSE(std::filesystem::exists(
      std::filesystem::symlink_status(config.path() + "/Voltander/ports/COM9")));
}

}  // namespace
}  // namespace voltander::test

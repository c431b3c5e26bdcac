// The real program against the simulated controller on a pseudo-terminal: each test
// gets its own configuration folder, a simulator registered there as a numbered
// port, and the program started with that port stored as its choice.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/ProgramProcess.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace voltander::test {

class ProgramWithController : public ::testing::Test {
 protected:
  // Starts the simulator as Comm port (with simArgs), then the program with that
  // port stored as its choice.
  void start(std::vector<std::string> simArgs, int port = 1) {
    const std::string index = " " + std::to_string(port - 1);
    WriteSettingsFile(config_.path(), "[Setup]\nPortok=\"" + index + "\"\n");
    simArgs.push_back("--port");
    simArgs.push_back(std::to_string(port));
    sim_ = std::make_unique<SimProcess>(simArgs, EnvOverrides{{"XDG_CONFIG_HOME", config_.path()}});
    program_ = std::make_unique<ProgramProcess>(VOLTANDER_BINARY, config_.path());
  }

  // Waits until the frames received so far, as letters, satisfy done.
  std::string waitForLetters(const std::function<bool(const std::string&)>& done, int timeoutMs) {
    return Letters(sim_->waitForFrames(
        [&](const std::vector<LoggedFrame>& f) { return done(Letters(f)); }, timeoutMs));
  }

  // SIGTERM, as a desktop session ends it; the program must end cleanly.
  void stopProgram() {
    const auto code = program_->terminate(10000);
    EXPECT_EQ(code, 0) << "the program did not end cleanly; its output:\n" << program_->output();
  }

  static std::size_t Count(const std::string& letters, char c) {
    return static_cast<std::size_t>(std::count(letters.begin(), letters.end(), c));
  }

  TempDir config_{"voltander-e2e"};
  std::unique_ptr<SimProcess> sim_;
  std::unique_ptr<ProgramProcess> program_;
};

}  // namespace voltander::test

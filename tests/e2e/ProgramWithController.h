// The real program against the simulated controller on a pseudo-terminal: each test
// gets its own configuration folder with the simulator registered there as a
// numbered port, stored as the program's choice.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/SimProcess.h"
#include "support/TempDir.h"

namespace voltander::test {

class ProgramWithController : public ::testing::Test {
 protected:
  void start(std::vector<std::string> simArgs, int port = 1) {
    WriteSettingsFile(config_.path(), "[Setup]\nPortok=\" " + std::to_string(port - 1) + "\"\n");
    simArgs.insert(simArgs.end(), {"--port", std::to_string(port)});
    sim_ = std::make_unique<SimProcess>(simArgs, EnvOverrides{{"XDG_CONFIG_HOME", config_.path()}});
    program_ = std::make_unique<ProgramProcess>(VOLTANDER_BINARY, config_.path());
  }

  std::string waitForLetters(const std::function<bool(const std::string&)>& done, int timeoutMs) {
    return Letters(sim_->waitForFrames([&](const auto& f) { return done(Letters(f)); }, timeoutMs));
  }

  // SIGTERM, as a desktop session ends it; the program must end cleanly.
  void stopProgram() {
    EXPECT_EQ(program_->terminate(10000), 0) << "its output:\n" << program_->output();
  }

  std::string setting(const std::string& key) {
    return SettingsValue(config_.path(), "Setup", key).value_or("<absent>");
  }

  TempDir config_{"voltander-e2e"};
  std::unique_ptr<SimProcess> sim_;
  std::unique_ptr<ProgramProcess> program_;
};

}  // namespace voltander::test

// A settings file damaged on disk must not stop the real program: it starts with no
// port and leaves a repaired file behind.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "support/Process.h"
#include "support/TempDir.h"

namespace voltander::test {
namespace {

TEST(GarbageSettingsEndToEnd, DamagedFileStartsWithNoPortAndIsRepairedAtExit) {
  TempDir config("voltander-garbage");
  std::string text = "[Setup]\nPortok=" + std::string(4 << 20, '7') + "\n";
  text += "BAssis=\xff\xfe\xc3\x28\xa0\xa1\x80\n";
  text += "Expert=@Variant(\\0\\0\\0\\x43\\x1\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\0\\0)\n";
  const char junk[] = "\x01\x02junk without a value\0\x7f\n[Setup\n=\n\xc0\xaf=\xed\xa0\x80\n";
  text.append(junk, sizeof junk - 1);
  WriteSettingsFile(config.path(), text);

  ProgramProcess program(VOLTANDER_BINARY, config.path());
  std::this_thread::sleep_for(std::chrono::milliseconds(2000));
  ASSERT_TRUE(program.running()) << program.output();
  EXPECT_EQ(program.terminate(10000), 0) << program.output();
  EXPECT_EQ(SettingsValue(config.path(), "Setup", "Portok"), "-1");
  EXPECT_EQ(SettingsValue(config.path(), "Setup", "BAssis"), "0");
  EXPECT_EQ(SettingsValue(config.path(), "Setup", "Expert"), "0");
}

}  // namespace
}  // namespace voltander::test

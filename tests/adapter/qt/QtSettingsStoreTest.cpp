#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "qt/QtSettingsStore.h"

namespace voltander {
namespace {

TEST(QtSettingsStoreTest, ValuesComeBackExactlyInAFreshStoreAndAbsentOnesAsFallback) {
  const std::string values[] = {" 0", "-1", "", "  12 ", "a,b", "x=y;z", "\"q\"", "ő"};
  {
    QtSettingsStore store;
    for (std::size_t i = 0; i < std::size(values); ++i) {
      store.save("Voltander", "Setup", "Key" + std::to_string(i), values[i]);
    }
  }
  EXPECT_TRUE(std::filesystem::exists(std::string(std::getenv("XDG_CONFIG_HOME")) +
                                      "/Voltander/Voltander.conf"));
  QtSettingsStore again;  // as at the next start of the program
  for (std::size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(again.get("Voltander", "Setup", "Key" + std::to_string(i), "<absent>"), values[i]);
  }
  EXPECT_EQ(again.get("Voltander", "Setup", "Nowhere", "-1"), "-1");
  EXPECT_EQ(again.get("Voltander", "Other", "Key0", "-1"), "-1");
}

}  // namespace
}  // namespace voltander

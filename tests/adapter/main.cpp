#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/TempDir.h"

// The adapter tests need a QApplication but no screen, and a configuration folder
// of their own so they never touch the user's settings or port links.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const voltander::test::TempDir configHome("voltander-adapter");
  setenv("XDG_CONFIG_HOME", configHome.path().c_str(), 1);
  setenv("XDG_DATA_HOME", configHome.path().c_str(), 1);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

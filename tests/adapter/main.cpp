#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <string>

// The adapter tests need a QApplication but no screen, and a configuration folder
// of their own so they never touch the user's settings or port links.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  std::string configHome = "/tmp/voltander-adapter-XXXXXX";
  if (!mkdtemp(configHome.data())) {
    std::perror("mkdtemp");
    return 2;
  }
  setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
  setenv("XDG_DATA_HOME", configHome.c_str(), 1);

  int result = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  QDir(QString::fromStdString(configHome)).removeRecursively();
  return result;
}

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "qt/QtSerialPort.h"

namespace {

// Run as a helper by tests that need a port held by another process: opens the
// port, reports the outcome on stdout and holds it until stdin closes.
int HoldPort(int argc, char** argv, int port) {
  QCoreApplication app(argc, argv);
  voltander::QtSerialPort serial;
  const voltander::OpenResult result = serial.open(port);
  std::printf("open %d\n", result.code);
  std::fflush(stdout);
  char c;
  while (::read(STDIN_FILENO, &c, 1) > 0) {
  }
  return 0;
}

}  // namespace

// The adapter tests need a QApplication but no screen, and a configuration folder
// of their own so they never touch the user's settings or port links.
int main(int argc, char** argv) {
  if (const char* hold = std::getenv("VOLTANDER_TEST_HOLD_PORT")) {
    return HoldPort(argc, argv, std::atoi(hold));
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

  std::string configHome = "/tmp/voltander-adapter-XXXXXX";
  if (!mkdtemp(configHome.data())) {
    std::perror("mkdtemp");
    return 2;
  }
  setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);

  int result = 0;
  {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    result = RUN_ALL_TESTS();
  }
  QDir(QString::fromStdString(configHome)).removeRecursively();
  return result;
}

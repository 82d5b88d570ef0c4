// Window tests of the game-record tools: one application, no display needed.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "display/board_display.h"

int main(int argc, char** argv) {
  // Test discovery runs the binary without the test environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Settings the windows write stay in a folder of their own.
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
  QApplication app(argc, argv);
  InstallGameDisplayFactory();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

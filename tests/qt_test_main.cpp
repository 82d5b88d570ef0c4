// Shared entry of the window tests: headless, with settings in a folder of their own.
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <QApplication>

#ifdef KESTRO_TEST_APP
#include "app/application.h"
#endif
#ifdef KESTRO_TEST_DISPLAY
#include "display/board_display.h"
#endif

int main(int argc, char** argv) {
  // Test discovery runs the binary without the test environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // The registry, the desktop files, the installed fonts and their cache stay
  // in a folder of the tests' own.
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());
  qputenv("XDG_DATA_HOME", (home.path() + "/data").toLocal8Bit());
  qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toLocal8Bit());
#ifdef KESTRO_TEST_APP
  KestroApplication app(argc, argv);
#else
  QApplication app(argc, argv);
#endif
#ifdef KESTRO_TEST_DISPLAY
  InstallGameDisplayFactory();
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

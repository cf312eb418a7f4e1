// Test entry point for windowed tests: a QApplication on the offscreen platform around GoogleTest,
// with a settings store of its own so the user's settings are never touched.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "camera/SettingsStore.h"

int main(int argc, char** argv) {
  // Windowed tests never need a display, and must never wait on one.
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir settings;
  KeepSettingsStoreIn(settings.path());
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// Widget tests need one QApplication for the whole test program; they run offscreen (but for
// those that run a test again on a virtual X server).
#include "VirtualScreen.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", lumvale::test::TestPlatform());
  // The tests' own settings file, never the user's.
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumvale"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

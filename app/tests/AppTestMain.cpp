// Widget tests need one QApplication for the whole test program; they run offscreen.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Lumvale"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include <gtest/gtest.h>

#include <QApplication>

// Runs the test cases inside a QApplication (offscreen unless a platform is
// chosen), as the viewer's windows need one.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

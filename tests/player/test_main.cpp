#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QApplication>

// Runs the cases inside a QApplication (offscreen unless a platform is
// chosen) with GStreamer started.
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  gst_init(&argc, &argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

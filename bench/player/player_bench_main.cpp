// The player benchmarks' start: GStreamer and a Qt application (offscreen
// unless QT_QPA_PLATFORM says otherwise) around the registered benchmarks.
#include <benchmark/benchmark.h>
#include <gst/gst.h>

#include <QApplication>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  gst_init(&argc, &argv);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Benchmark of the recording browser: a memory card of 5,000 recordings in
// 20 folders (hard links to one small generated recording) opened as the
// viewer opens it at start-up (folder tree with the folders' trigger masks,
// the first folder listed, the recorder version read from the last folder),
// next to the floor of judging every recording on the card: a stat and two
// small reads per file, measured in the same run with a warm page cache.
//
// Run: build with -DKESTREL_BENCH=ON, then
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/browser/browser_bench [WORKDIR]
#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "mkcard/card_plan.h"
#include "mkcard/card_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 20;
constexpr int kPerFolder = 250;

// One small recording, generated once into `work`.
fs::path SmallRecording(const fs::path& work) {
  const fs::path folder = work / "small";
  mkcard::CardOptions options;
  options.folders = 1;
  options.files = 1;
  options.seconds = 1;
  options.width = 160;
  options.height = 120;
  const fs::path recording = folder / mkcard::PlanCard(options).front().path;
  if (!fs::exists(recording)) {
    const std::string error = mkcard::WriteCard(options, folder);
    if (!error.empty()) {
      std::fprintf(stderr, "cannot generate a recording: %s\n", error.c_str());
      std::exit(1);
    }
  }
  return recording;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path work =
      argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "kestrel-browser-bench";
  fs::create_directories(work);
  const std::vector<fs::path> links =
      LinkedCard(SmallRecording(work), work / "card", kFolders * kPerFolder, kPerFolder, "AMGPS");

  const QString card = QString::fromStdString((work / "card").string());
  CFilerContainer panel;
  panel.resize(446, 300);
  panel.ApplySource(SourceKind::kCard, card);  // warms the page cache
  const double floor = MedianSeconds(7, [&] { StatAndTwoReads(links); });
  int rows = 0;
  const double open = MedianSeconds(7, [&] {
    panel.ApplySource(SourceKind::kCard, card);
    rows = panel.fileList()->count();
  });
  if (rows != kPerFolder) {
    std::fprintf(stderr, "the first folder lists %d recordings, not %d\n", rows, kPerFolder);
    return 1;
  }
  std::printf("card of %zu recordings in %d folders, first folder listed (%d rows), warm cache\n",
              links.size(), kFolders, rows);
  std::printf("  floor (stat + 2 reads per file)  %7.3f s\n", floor);
  std::printf("  browser opens the card           %7.3f s  %5.2f x the floor\n", open,
              open / floor);
  return 0;
}

// Benchmark of the recording browser: a memory card of 5,000 recordings in
// 20 folders (hard links to one small generated recording) opened as the
// viewer opens it at start-up (folder tree with the folders' trigger masks,
// the first folder listed, the recorder version read from the last folder),
// next to the floor of judging every recording on the card: a stat and two
// small reads per file, measured in the same run with a warm page cache.
//
// Run: build with -DKESTREL_BENCH=ON, then
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/browser/browser_bench [WORKDIR]
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "mkcard/card_plan.h"
#include "mkcard/card_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFolders = 20;
constexpr int kPerFolder = 250;

double Median(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// A stat and two small reads (head and tail) per file.
void Floor(const std::vector<fs::path>& files) {
  for (const fs::path& file : files) {
    struct stat info {};
    char bytes[18];
    const int fd = open(file.c_str(), O_RDONLY);
    fstat(fd, &info);
    if (pread(fd, bytes, 8, 0) != 8 || pread(fd, bytes, 18, info.st_size - 18) != 18) std::abort();
    close(fd);
  }
}

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

// The card: hard links named as the recorder names them, the triggers cycling.
std::vector<fs::path> Card(const fs::path& recording, const fs::path& card) {
  const char triggers[] = "AMGPS";
  std::vector<fs::path> links;
  for (int i = 0; i < kFolders * kPerFolder; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "DCIM/%03dMEDIA/12%08d_%c.MOV", 100 + i / kPerFolder, i,
                  triggers[i % 5]);
    const fs::path link = card / name;
    if (!fs::exists(link)) {
      fs::create_directories(link.parent_path());
      fs::create_hard_link(recording, link);
    }
    links.push_back(link);
  }
  return links;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const fs::path work =
      argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "kestrel-browser-bench";
  fs::create_directories(work);
  const std::vector<fs::path> links = Card(SmallRecording(work), work / "card");

  const QString card = QString::fromStdString((work / "card").string());
  CFilerContainer panel;
  panel.resize(446, 300);
  panel.ApplySource(SourceKind::kCard, card);  // warms the page cache
  const double floor = Median(7, [&] { Floor(links); });
  int rows = 0;
  const double open = Median(7, [&] {
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

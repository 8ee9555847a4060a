// Continuous playback of one folder of 50 short recordings at x4, end to end,
// through the real window and engine: every recording must open in the
// folder's order and its views must follow it. Reported:
//  - the time from one recording's open to the next, median and longest,
//    next to the time the recording itself takes at x4 (its length / 4),
//    as ratios (a stall shows as a long longest);
//  - the resident memory (VmRSS) after the opens of the first ten and of the
//    last ten recordings, and their ratio (growth shows as a ratio above 1),
//    beside the ratio from the second ten on, once the start-up has filled
//    its caches.
//
// Run: build with -DKESTREL_BENCH=ON, then
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/mainwnd/continuous_play_bench
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "mkcard/card_plan.h"
#include "mkcard/card_writer.h"
#include "player/player_engine_state.h"
#include "views/info_dlg.h"

namespace {

constexpr int kRecordings = 50;
constexpr int kSeconds = 2;
constexpr int kTen = 10;

// The process's resident memory in kB.
long ResidentKb() {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return 0;
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
  }
  return 0;
}

double Mean(const std::vector<long>& values, std::size_t from, std::size_t count) {
  double sum = 0;
  for (std::size_t i = from; i < from + count; ++i) sum += static_cast<double>(values[i]);
  return sum / static_cast<double>(count);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QTemporaryDir dir;
  mkcard::CardOptions options;
  options.folders = 1;
  options.files = kRecordings;
  options.seconds = kSeconds;
  options.width = 320;
  options.height = 180;
  std::fprintf(stderr, "writing %d recordings of %d s...\n", kRecordings, kSeconds);
  const std::string error = mkcard::WriteCard(options, dir.path().toStdString());
  if (!error.empty()) {
    std::fprintf(stderr, "card: %s\n", error.c_str());
    return 1;
  }
  QDir(dir.path()).mkdir(QStringLiteral("work"));
  QDir::setCurrent(dir.filePath(QStringLiteral("work")));
  CaptureWorkDir();
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"),
                 dir.filePath(QStringLiteral("DCIM")));

  int failures = 0;
  {
    CKestrelDlg dlg;
    dlg.show();
    if (dlg.fileList()->count() != kRecordings) {
      std::fprintf(stderr, "listed %d recordings\n", dlg.fileList()->count());
      return 1;
    }
    QElapsedTimer clock;
    std::vector<qint64> openedAt;
    std::vector<long> rss;
    std::vector<int> highestFrame(kRecordings, -1);
    QObject::connect(&dlg, &CKestrelDlg::openingRecording, [&](int index) {
      if (index != static_cast<int>(openedAt.size())) {
        std::fprintf(stderr, "recording %d opened as number %zu\n", index, openedAt.size());
        ++failures;
      }
      openedAt.push_back(clock.elapsed());
      rss.push_back(ResidentKb());
    });
    // What the information panel shows, sampled at the tick's period.
    QTimer views;
    QObject::connect(&views, &QTimer::timeout, [&] {
      const int index = dlg.playback().currentIndex();
      if (index >= 0 && dlg.playback().openComplete()) {
        highestFrame[index] = std::max(highestFrame[index], dlg.infoDlg()->values().frame);
      }
    });
    views.start(30);

    clock.start();
    dlg.fileList()->SelectRow(0);
    if (!QTest::qWaitFor([&] { return dlg.playback().openComplete(); }, 20000)) return 1;
    dlg.OnCommand(kCmdPlayPause);
    dlg.OnCommand(kCmdFaster);
    dlg.OnCommand(kCmdFaster);
    const int rate = dlg.engineState()->rateCode;
    // The end: the last recording rewound and stopped.
    const bool ended = QTest::qWaitFor(
        [&] {
          return static_cast<int>(openedAt.size()) == kRecordings &&
                 dlg.playback().openComplete() && dlg.engineState()->playState == 1;
        },
        kRecordings * 10000);
    const qint64 total = clock.elapsed();
    if (!ended || rate != 4 || static_cast<int>(openedAt.size()) != kRecordings) {
      std::fprintf(stderr, "ended %d at rate %d after %zu opens\n", ended, rate, openedAt.size());
      return 1;
    }
    for (int i = 0; i < kRecordings; ++i) {
      if (highestFrame[i] <= 0) {
        std::fprintf(stderr, "the views did not follow recording %d\n", i);
        ++failures;
      }
    }

    std::vector<qint64> gaps;
    for (std::size_t i = 1; i < openedAt.size(); ++i) gaps.push_back(openedAt[i] - openedAt[i - 1]);
    std::sort(gaps.begin(), gaps.end());
    const double median = static_cast<double>(gaps[gaps.size() / 2]);
    const double longest = static_cast<double>(gaps.back());
    const double atX4 = kSeconds * 1000.0 / 4;
    const double firstTen = Mean(rss, 0, kTen);
    const double lastTen = Mean(rss, rss.size() - kTen, kTen);
    std::printf("%d recordings of %d s at x4, end to end: %.1f s\n", kRecordings, kSeconds,
                static_cast<double>(total) / 1000.0);
    std::printf("open to next open: median %.0f ms, longest %.0f ms; playing time at x4 %.0f ms\n",
                median, longest, atX4);
    std::printf("  ratios: median / playing time %.2f, longest / median %.2f\n", median / atX4,
                longest / median);
    std::printf("resident memory: first ten %.0f kB, last ten %.0f kB, ratio %.3f\n", firstTen,
                lastTen, lastTen / firstTen);
    std::printf("  after the first ten (start-up's caches filled): second ten to last ten %.3f\n",
                lastTen / Mean(rss, kTen, kTen));
    std::printf("  by ten:");
    for (std::size_t i = 0; i + kTen <= rss.size(); i += kTen) {
      std::printf(" %.0f", Mean(rss, i, kTen));
    }
    std::printf(" kB\n");
  }
  DeleteSharedFonts();
  return failures == 0 ? 0 : 1;
}

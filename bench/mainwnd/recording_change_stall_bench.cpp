// Whether the main window stays responsive while continuous play goes from
// one recording to the next: the worst lateness of a 10 ms timer on the UI
// thread through 20 recording changes of a folder of 2-s 1080p recordings,
// played end to end at x1 and again at x4, next to the same timer with the
// window idle in the same run. Goal: the worst stall at most 50 ms at both
// speeds.
//
// The recordings are hard links to one generated recording. Set
// KESTREL_BENCH_DIR to keep it between runs.
//
// Run: build with -DKESTREL_BENCH=ON, then
//   QT_QPA_PLATFORM=offscreen build/<dir>/bench/mainwnd/recording_change_stall_bench
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "bench_support.h"
#include "browser/file_list_ctrl.h"
#include "mainwnd/command_ids.h"
#include "mainwnd/kestrel_dlg.h"
#include "one_recording.h"
#include "player/player_engine_state.h"
#include "stall_meter.h"

namespace {

constexpr int kChanges = 20;
constexpr int kRecordings = kChanges + 1;
constexpr int kSeconds = 2;
constexpr qint64 kRunLimitMs = 300000;

struct Run {
  double worstMs = -1;
  qint64 tookMs = 0;
  int opens = 0;
};

// Plays the listed folder end to end from its first recording at `rateCode`
// (1 or 4), timing the UI thread from the play command to the last
// recording rewound and stopped.
Run PlayFolder(CKestrelDlg& dlg, StallMeter& meter, int rateCode) {
  Run run;
  dlg.fileList()->SelectRow(0);
  if (!QTest::qWaitFor(
          [&] { return dlg.playback().currentIndex() == 0 && dlg.playback().openComplete(); },
          30000)) {
    return run;
  }
  const QMetaObject::Connection counting =
      QObject::connect(&dlg, &CKestrelDlg::openingRecording, [&](int) { ++run.opens; });
  dlg.OnCommand(kCmdPlayPause);
  while (dlg.engineState()->rateCode != rateCode && dlg.engineState()->rateCode < 4) {
    dlg.OnCommand(kCmdFaster);
  }
  if (dlg.engineState()->rateCode != rateCode) return run;
  QElapsedTimer clock;
  clock.start();
  const auto ended = [&] {
    return run.opens == kChanges && dlg.playback().currentIndex() == kRecordings - 1 &&
           dlg.playback().openComplete() && dlg.engineState()->playState == 1;
  };
  const double worst = meter.Measure([&] { return !ended() && clock.elapsed() < kRunLimitMs; },
                                     [] { return true; }, 0);
  QObject::disconnect(counting);
  run.tookMs = clock.elapsed();
  if (ended()) run.worstMs = worst;
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir temp;
  const char* kept = std::getenv("KESTREL_BENCH_DIR");
  const std::filesystem::path dir = kept != nullptr ? kept : temp.path().toStdString();
  const std::filesystem::path recording = OneRecording(dir / "change-source", kSeconds);
  if (!std::filesystem::exists(recording)) return 1;
  const std::filesystem::path card = CardOfLinks(recording, temp.path().toStdString(), kRecordings);

  CKestrelDlg dlg;
  dlg.show();
  if (!dlg.ListSource(SourceKind::kCard, QString::fromStdString(card.string())) ||
      dlg.fileList()->entryCount() != kRecordings) {
    std::fprintf(stderr, "the card was not listed\n");
    return 1;
  }
  StallMeter meter;
  const Run x1 = PlayFolder(dlg, meter, 1);
  const Run x4 = PlayFolder(dlg, meter, 4);
  if (x1.worstMs < 0 || x4.worstMs < 0) {
    std::fprintf(stderr, "continuous play did not reach the end (x1 %d, x4 %d changes)\n", x1.opens,
                 x4.opens);
    return 1;
  }
  const double idle =
      meter.Measure([] { return false; }, [] { return true; }, static_cast<int>(x4.tookMs));

  std::printf("%d recording changes of %d-s 1080p recordings: x1 %.1f s, x4 %.1f s\n", kChanges,
              kSeconds, static_cast<double>(x1.tookMs) / 1000.0,
              static_cast<double>(x4.tookMs) / 1000.0);
  std::printf(
      "worst lateness of a 10 ms timer: idle %.1f ms, x1 %.1f ms (%.2fx), x4 %.1f ms (%.2fx)\n",
      idle, x1.worstMs, idle > 0 ? x1.worstMs / idle : 0.0, x4.worstMs,
      idle > 0 ? x4.worstMs / idle : 0.0);
  const bool met = x1.worstMs <= 50.0 && x4.worstMs <= 50.0;
  std::printf("goal: at most 50 ms at x1 and at x4: %s\n", met ? "met" : "NOT met");
  return 0;
}

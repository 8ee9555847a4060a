// A rendered clip next to the bare transcode of the same pictures, in the
// same run:
//  - 60 s of 1080p at 30 pictures a second, across two 60-s recordings,
//    rendered with every block of the overlay (RenderClip: the lossless
//    clip kept first, then decode, overlay, x264enc, mp4mux);
//  - the bare transcode of that lossless clip, `filesrc ! qtdemux !
//    avdec_h264 ! x264enc ! mp4mux ! filesink` at the same preset and
//    quality.
// Prints both throughputs, the render's share of the bare one and its speed
// against real time, with the load average the figures were taken under.
//
// Usage: render_bench [WORKDIR [PRESET...]]   (the recordings are generated
// there once; the render's default preset unless named)
#include <gst/gst.h>
#include <stdlib.h>

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "mkcard/program_runner.h"
#include "render/clip_render.h"

namespace {

namespace fs = std::filesystem;

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one, five, fifteen;
  in >> one >> five >> fifteen;
  return one + " " + five + " " + fifteen;
}

double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::vector<fs::path> Drive(const fs::path& folder) {
  if (!fs::exists(folder)) {
    const mkcard::ProgramResult made =
        mkcard::RunProgram({KESTREL_MKCARD_PATH, "--folders", "1", "--files", "2", "--seconds",
                            "60", "--size", "1920x1080", folder.string()});
    if (!made.failure.empty()) {
      std::fprintf(stderr, "%s\n", made.failure.c_str());
      std::exit(1);
    }
  }
  std::vector<fs::path> inputs;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == ".MOV") inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication application(argc, argv);
  gst_init(nullptr, nullptr);
  const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "kestrel-bench";
  fs::create_directories(work);
  setenv("TZ", "UTC", 1);
  std::vector<std::string> presets;
  for (int i = 2; i < argc; ++i) presets.emplace_back(argv[i]);
  if (presets.empty()) presets.emplace_back(kDefaultRenderPreset);

  const std::vector<fs::path> inputs = Drive(work / "drive");
  const StretchResult stretch =
      StretchBetweenMoments(inputs, {inputs[0], 30'000'000'000}, {inputs[1], 30'000'000'000});
  if (inputs.size() != 2 || stretch.error != ClipError::kNone) {
    std::fprintf(stderr, "no stretch: %s\n", stretch.why.c_str());
    return 1;
  }
  const double seconds = static_cast<double>(stretch.stretch.lengthNs) / 1e9;
  const auto pictures = static_cast<double>(stretch.stretch.pictures);
  const fs::path lossless = work / "render_source.MOV";
  if (WriteClip(stretch.stretch, lossless).error != ClipError::kNone) return 1;
  const fs::path output = work / "render.mp4";
  std::printf("%.1f s of 1080p30 (%.0f pictures) across two recordings, 2 cores\n", seconds,
              pictures);
  for (const std::string& preset : presets) {
    const std::string before = LoadAverage();
    const double bare = Seconds([&] {
      const mkcard::ProgramResult run = mkcard::RunProgram(
          {"gst-launch-1.0", "-q", "filesrc", "location=" + lossless.string(), "!", "qtdemux", "!",
           "avdec_h264", "!", "x264enc", "speed-preset=" + preset, "pass=qual", "quantizer=20",
           "key-int-max=60", "!", "mp4mux", "!", "filesink", "location=" + output.string()});
      if (!run.failure.empty()) std::abort();
    });
    RenderResult result;
    const double rendered =
        Seconds([&] { result = RenderClip(stretch.stretch, output, {.preset = preset}); });
    if (result.error != ClipError::kNone) {
      std::fprintf(stderr, "render failed: %s\n", result.why.c_str());
      return 1;
    }
    std::printf(
        "  preset %-9s  bare transcode %6.1f s (%5.1f pictures/s)  render %6.1f s "
        "(%5.1f pictures/s)  %4.0f %% of the bare  %4.2fx real time  (load %s -> %s)\n",
        preset.c_str(), bare, pictures / bare, rendered, pictures / rendered, 100 * bare / rendered,
        seconds / rendered, before.c_str(), LoadAverage().c_str());
  }
  fs::remove(lossless);
  fs::remove(output);
  return 0;
}

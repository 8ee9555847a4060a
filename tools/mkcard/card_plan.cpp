#include "mkcard/card_plan.h"

#include <chrono>
#include <cstdio>

#include "mkcard/drive_synthesis.h"

namespace mkcard {
namespace {

// Every folder is a drive on a day of its own, starting at 08:30 on 12 June
// 2024 and 47 minutes later each following day.
std::int64_t FolderStart(int folder) {
  using namespace std::chrono;
  const sys_seconds first = sys_days{year{2024} / June / 12} + hours{8} + minutes{30};
  return first.time_since_epoch().count() +
         static_cast<std::int64_t>(folder) * (24 * 3600 + 47 * 60);
}

std::string FileName(int numberInFolder, bool numbered, const LocalClock& start, char trigger) {
  char name[40];
  if (numbered) {
    std::snprintf(name, sizeof name, "%03d_%02d%02d%02d_%c.MOV", numberInFolder + 1, start.hour,
                  start.minute, start.second, trigger);
  } else {
    std::snprintf(name, sizeof name, "%02d%02d%02d%02d%02d_%c.MOV", start.month, start.day,
                  start.hour, start.minute, start.second, trigger);
  }
  return name;
}

HeaderFields HeaderFor(char trigger, char quality) {
  HeaderFields header;
  header.numbers = {600, 600, 800, 300};  // G thresholds of the three axes and of parking watch
  header.mode = trigger == 'P' || trigger == 'S' ? 'M' : 'D';
  header.version = {1, 4, 7};
  header.quality = quality;
  return header;
}

}  // namespace

std::vector<RecordingPlan> PlanCard(const CardOptions& options) {
  std::vector<RecordingPlan> card;
  const int recordsPerFile = options.records >= 0 ? options.records : options.seconds * 10;
  const FileKind kind = options.plain      ? FileKind::kPlainMovie
                        : options.cutShort ? FileKind::kCutShort
                        : options.noCsmend ? FileKind::kNoCsmend
                                           : FileKind::kRecorder;
  int regular = 0;
  for (int folder = 0; folder < options.folders; ++folder) {
    char folderName[32];
    std::snprintf(folderName, sizeof folderName, "DCIM/%03dMEDIA/", 100 + folder);
    std::vector<RecordingPlan> files;
    std::vector<DriveSlot> slots;
    for (int i = 0; i < options.files; ++i, ++regular) {
      RecordingPlan plan;
      plan.kind = kind;
      plan.trigger = options.triggers[static_cast<std::size_t>(regular) % options.triggers.size()];
      files.push_back(plan);
    }
    if (options.extras && folder == options.folders - 1) {
      for (const FileKind extra :
           {FileKind::kCutShort, FileKind::kNoCsmend, FileKind::kPlainMovie}) {
        RecordingPlan plan;
        plan.kind = extra;
        plan.trigger = extra == FileKind::kNoCsmend ? 'M' : 'A';
        files.push_back(plan);
      }
    }
    for (const RecordingPlan& plan : files) {
      slots.push_back({plan.trigger, plan.kind == FileKind::kPlainMovie ? 0 : recordsPerFile});
    }
    const DriveSetup drive{folder, options.seconds, options.seed, FolderStart(folder)};
    std::vector<std::vector<SensorSample>> samples = SynthesizeDrive(drive, slots);
    for (std::size_t i = 0; i < files.size(); ++i) {
      RecordingPlan& plan = files[i];
      const int number = static_cast<int>(i);
      plan.start =
          ClockOf(drive.startSeconds + static_cast<std::int64_t>(number) * options.seconds);
      plan.path =
          folderName + FileName(number, number < options.numbered, plan.start, plan.trigger);
      plan.cardIndex = static_cast<int>(card.size());
      plan.folder = folder;
      plan.seconds = options.seconds;
      plan.fpsNum = options.fpsNum;
      plan.fpsDen = options.fpsDen;
      plan.gop =
          options.gop > 0 ? options.gop : (options.fpsNum + options.fpsDen / 2) / options.fpsDen;
      // Frames whose start lies inside the recording's length.
      const long long scaled = static_cast<long long>(options.seconds) * options.fpsNum;
      plan.frames = static_cast<int>((scaled + options.fpsDen - 1) / options.fpsDen);
      plan.codec = options.codec;
      plan.bframes = options.bframes;
      plan.sound = options.sound;
      plan.width = options.width;
      plan.height = options.height;
      plan.toneHz = 300 + 25 * (plan.cardIndex % 32);
      plan.beep = options.beep;
      plan.longerSoundMs = options.longerSoundMs;
      plan.header = HeaderFor(plan.trigger, options.quality);
      // A file cut short has lost its sensor track with its tail.
      if (plan.kind != FileKind::kCutShort) plan.samples = std::move(samples[i]);
      card.push_back(std::move(plan));
    }
    if (options.extras && folder == options.folders - 1) {
      RecordingPlan note;
      note.kind = FileKind::kNotMovie;
      note.trigger = 0;
      note.path = std::string(folderName) + "SYSINFO.TXT";
      note.cardIndex = static_cast<int>(card.size());
      note.folder = folder;
      card.push_back(std::move(note));
    }
  }
  return card;
}

}  // namespace mkcard

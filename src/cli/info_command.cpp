// kestrel-cli info FILE [--records] [--frame-index]: one recording's details
// as one JSON object, for users and scripts.

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "catalogue/recording_check.h"
#include "cli/json_text.h"
#include "container/movie_file.h"
#include "container/sensor_track.h"

namespace {

// The shortest text that reads back as the same value; null for values
// JSON cannot hold.
template <typename Number>
void AppendNumber(std::string& out, Number value) {
  if constexpr (std::is_floating_point_v<Number>) {
    if (!std::isfinite(value)) {
      out.append("null");
      return;
    }
  }
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  out.append(text, result.ptr);
}

void AppendChar(std::string& out, char c) {
  AppendJsonString(out, c == 0 ? std::string_view() : std::string_view(&c, 1));
}

void AppendTime(std::string& out, const CalendarTime& time) {
  char text[64];
  std::snprintf(text, sizeof text, "\"%04u-%02u-%02u %02u:%02u:%02u\"", time.year, time.month,
                time.day, time.hour, time.minute, time.second);
  out.append(text);
}

void AppendKey(std::string& out, std::string_view key) {
  AppendJsonString(out, key);
  out.append(": ");
}

template <typename Values>
void AppendArray(std::string& out, const Values& values) {
  out.push_back('[');
  bool first = true;
  for (const auto value : values) {
    if (!first) out.append(", ");
    first = false;
    AppendNumber(out, value);
  }
  out.push_back(']');
}

void AppendHeader(std::string& out, const TrackHeader& header) {
  out.append("{");
  AppendKey(out, "numbers");
  AppendArray(out, header.numbers);
  out.append(", ");
  AppendKey(out, "mode");
  AppendChar(out, header.mode);
  out.append(", ");
  AppendKey(out, "version");
  const std::string_view version(header.version.data(), header.version.size());
  AppendJsonString(out, version.substr(0, version.find('\0')));
  out.append(", ");
  AppendKey(out, "quality");
  AppendChar(out, header.quality);
  out.append(", ");
  AppendKey(out, "byte24");
  AppendChar(out, header.byte24);
  out.append(", ");
  AppendKey(out, "decoded");
  out.append(header.decoded ? "true" : "false");
  out.append("}");
}

void AppendRecord(std::string& out, const PositionRecord& position, const AccelRecord& accel,
                  const VehicleRecord& vehicle) {
  out.append("{");
  const auto field = [&](std::string_view key, auto value) {
    AppendKey(out, key);
    AppendNumber(out, value);
    out.append(", ");
  };
  field("seq", position.sequence);
  field("valid", position.valid);
  field("lat", position.latitude);
  field("lon", position.longitude);
  field("speed", position.speed);
  AppendKey(out, "time");
  AppendTime(out, position.time);
  out.append(", ");
  field("x", accel.x);
  field("y", accel.y);
  field("z", accel.z);
  field("event", accel.event);
  field("axis", accel.axis);
  field("flag8", accel.flag8);
  field("manual", accel.manual);
  AppendKey(out, "vehicle_bytes");
  AppendArray(out, vehicle.bytes);
  out.append(", ");
  AppendKey(out, "vehicle_words");
  AppendArray(out, vehicle.words);
  out.append("}");
}

int Fail(const char* path, std::string_view why) {
  std::fprintf(stderr, "kestrel-cli info: %s: %.*s\n", path, static_cast<int>(why.size()),
               why.data());
  return 1;
}

}  // namespace

int RunInfo(std::span<char* const> args) {
  const char* file = nullptr;
  bool records = false;
  bool frameIndex = false;
  for (const char* arg : args) {
    const std::string_view text = arg;
    if (text == "--records") {
      records = true;
    } else if (text == "--frame-index") {
      frameIndex = true;
    } else if (text.starts_with("-") || file != nullptr) {
      std::fprintf(stderr, "usage: kestrel-cli info FILE [--records] [--frame-index]\n");
      return 2;
    } else {
      file = arg;
    }
  }
  if (file == nullptr) {
    std::fprintf(stderr, "usage: kestrel-cli info FILE [--records] [--frame-index]\n");
    return 2;
  }

  // The reader takes only regular files and says why it refuses the rest.
  std::string error;
  const std::unique_ptr<MovieFile> movie = MovieFile::Open(file, false, &error);
  if (!movie) return Fail(file, error);
  SensorTrack track;
  const std::optional<std::int64_t> recordCount = track.RecordCount(file);
  TrackHeader header;
  if (!recordCount || !track.LoadHeader(file, &header)) {
    return Fail(file, "cannot read the sensor track");
  }
  const std::optional<float> frameUnit = track.FrameRateScan(file);
  if ((records || frameIndex) && !track.Load(file)) {
    return Fail(file, "cannot read the sensor track");
  }

  std::string out = "{\n  ";
  AppendKey(out, "path");
  AppendJsonString(out, file);
  out.append(",\n  ");
  AppendKey(out, "recorder_file");
  out.append(IsRecording(file) ? "true" : "false");
  out.append(",\n  ");
  AppendKey(out, "top_level");
  out.push_back('[');
  for (const AtomNode& child : movie->root.children) {
    if (&child != &movie->root.children.front()) out.append(", ");
    AppendJsonString(out, child.Name());
  }
  out.append("],\n  ");
  const MovieFile::FrameSize size = movie->GetFrameSize();
  const std::int64_t frameCount = movie->FrameCount();
  AppendKey(out, "width");
  AppendNumber(out, size.width);
  out.append(",\n  ");
  AppendKey(out, "height");
  AppendNumber(out, size.height);
  out.append(",\n  ");
  AppendKey(out, "frame_count");
  AppendNumber(out, frameCount);
  out.append(",\n  ");
  AppendKey(out, "frame_rate");
  AppendNumber(out, movie->FrameRate());
  out.append(",\n  ");
  AppendKey(out, "frame_unit_ms");
  if (frameUnit) {
    AppendNumber(out, *frameUnit);
  } else {
    out.append("null");
  }
  out.append(",\n  ");
  AppendKey(out, "start");
  const std::optional<CalendarTime> start = movie->RecordingStart();
  if (start) {
    AppendTime(out, *start);
  } else {
    out.append("null");
  }
  out.append(",\n  ");
  AppendKey(out, "record_count");
  AppendNumber(out, *recordCount);
  out.append(",\n  ");
  AppendKey(out, "header");
  AppendHeader(out, header);

  if (records) {
    out.append(",\n  ");
    AppendKey(out, "records");
    out.append("[");
    for (std::size_t i = 0; i < track.positions.size(); ++i) {
      out.append(i == 0 ? "\n    " : ",\n    ");
      AppendRecord(out, track.positions[i], track.accels[i], track.vehicles[i]);
    }
    out.append(track.positions.empty() ? "]" : "\n  ]");
  }
  if (frameIndex) {
    // Frames in the frame unit of the scan, as many as the first stts says.
    track.frameTime = frameUnit.value_or(0.0f);
    const bool mapped = track.MapFrames(frameCount);
    out.append(",\n  ");
    AppendKey(out, "peak_g");
    if (mapped) {
      AppendNumber(out, track.peakG);
    } else {
      out.append("null");
    }
    out.append(",\n  ");
    AppendKey(out, "frame_index");
    if (mapped) {
      out.push_back('[');
      for (std::size_t i = 0; i < track.frameIndex.size(); ++i) {
        if (i > 0) out.append(", ");
        AppendNumber(out, track.frameIndex[i] ? track.frameIndex[i]->sequence : -1);
      }
      out.push_back(']');
    } else {
      out.append("null");
    }
  }
  out.append("\n}\n");
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

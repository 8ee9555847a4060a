#include "mkcard/card_writer.h"

#include <fstream>

#include "mkcard/movie_encoder.h"
#include "mkcard/movie_layout.h"
#include "mkcard/sensor_payload.h"

namespace mkcard {
namespace {

constexpr const char* kNotMovieText =
    "This card holds sample recordings made by kestrel-mkcard.\n"
    "This file is not a movie.\n";

// Writes the file of `plan` at `part`. Returns an empty string on success.
std::string WriteFile(const RecordingPlan& plan, const std::filesystem::path& part) {
  if (plan.kind == FileKind::kNotMovie) {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out << kNotMovieText;
    out.close();
    return out ? std::string() : "write failed";
  }
  if (std::string error = EncodeMovie(plan, part); !error.empty()) return error;
  if (plan.kind == FileKind::kPlainMovie) return {};
  const std::vector<std::uint8_t> payload =
      SensorPayload(plan.header, plan.samples, plan.kind != FileKind::kNoCsmend);
  if (payload.empty()) return "too many records for a 16-bit count";
  if (std::string error = ApplyRecorderLayout(part, payload); !error.empty()) return error;
  if (plan.kind == FileKind::kCutShort) return CutInsideMdat(part);
  return {};
}

}  // namespace

std::string WriteCard(const CardOptions& options, const std::filesystem::path& outdir) {
  for (const RecordingPlan& plan : PlanCard(options)) {
    const std::filesystem::path target = outdir / plan.path;
    const std::filesystem::path part =
        target.parent_path() / std::string(".").append(target.filename().string()).append(".part");
    std::error_code error;
    std::filesystem::create_directories(target.parent_path(), error);
    if (error) return target.parent_path().string() + ": " + error.message();
    std::string failure = WriteFile(plan, part);
    if (failure.empty()) {
      std::filesystem::rename(part, target, error);
      if (error) failure = error.message();
    }
    if (!failure.empty()) {
      std::filesystem::remove(part, error);
      return target.string() + ": " + failure;
    }
  }
  return {};
}

}  // namespace mkcard

#include "render/overlay_settings.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/display_choices.h"
#include "base/settings_file.h"

namespace {

const QString kSection = QStringLiteral("OVERLAY");
const QString kNoBlocks = QStringLiteral("none");

// Each setting's words in the file, the default's first.
constexpr std::array<std::pair<OverlayScale, const char*>, 3> kScaleWords = {
    {{OverlayScale::kMedium, "M"}, {OverlayScale::kSmall, "S"}, {OverlayScale::kLarge, "L"}}};
constexpr std::array<std::pair<OverlayPlace, const char*>, 2> kPlaceWords = {
    {{OverlayPlace::kBottom, "bottom"}, {OverlayPlace::kTop, "top"}}};
constexpr std::array<std::pair<RenderSize, const char*>, 2> kSizeWords = {
    {{RenderSize::kSource, "source"}, {RenderSize::k720p, "720p"}}};

QString Read(const char* key) {
  return ReadIniString(kSection, QString::fromLatin1(key)).trimmed();
}

bool Write(const char* key, const QString& value) {
  return WriteIniString(kSection, QString::fromLatin1(key), value);
}

template <typename Value, std::size_t N>
Value FromWord(const std::array<std::pair<Value, const char*>, N>& words, const char* key) {
  const QString text = Read(key);
  for (const auto& [value, word] : words) {
    if (text == QLatin1String(word)) return value;
  }
  return words.front().first;
}

template <typename Value, std::size_t N>
QString WordOf(const std::array<std::pair<Value, const char*>, N>& words, Value value) {
  for (const auto& [known, word] : words) {
    if (known == value) return QString::fromLatin1(word);
  }
  return {};
}

}  // namespace

OverlaySettings ReadOverlaySettings() {
  OverlaySettings settings;
  const QString blocks = Read("BLOCKS");
  if (blocks == kNoBlocks) {
    settings.blocks = {};
  } else if (const std::optional<OverlayBlocks> named =
                 OverlayBlocksFromNames(blocks.toStdString());
             named && !blocks.isEmpty()) {
    settings.blocks = *named;
  }
  settings.scale = FromWord(kScaleWords, "SIZE");
  settings.place = FromWord(kPlaceWords, "PLACE");
  settings.size = FromWord(kSizeWords, "OUTPUT_SIZE");
  const std::string preset = Read("PRESET").toStdString();
  if (std::find(std::begin(kRenderPresets), std::end(kRenderPresets), preset) !=
      std::end(kRenderPresets)) {
    settings.preset = preset;
  }
  return settings;
}

bool WriteOverlaySettings(const OverlaySettings& chosen, const OverlaySettings& loaded) {
  bool written = true;
  const auto writeIf = [&](bool changed, const char* key, const QString& value) {
    if (written && changed) written = Write(key, value);
  };
  const std::string names = OverlayBlockNamesOf(chosen.blocks);
  writeIf(chosen.blocks != loaded.blocks, "BLOCKS",
          names.empty() ? kNoBlocks : QString::fromStdString(names));
  writeIf(chosen.scale != loaded.scale, "SIZE", WordOf(kScaleWords, chosen.scale));
  writeIf(chosen.place != loaded.place, "PLACE", WordOf(kPlaceWords, chosen.place));
  writeIf(chosen.size != loaded.size, "OUTPUT_SIZE", WordOf(kSizeWords, chosen.size));
  writeIf(chosen.preset != loaded.preset, "PRESET", QString::fromStdString(chosen.preset));
  return written;
}

RenderOptions RenderOptionsFromSettings() {
  const OverlaySettings settings = ReadOverlaySettings();
  RenderOptions options;
  options.blocks = settings.blocks;
  options.scale = settings.scale;
  options.place = settings.place;
  options.size = settings.size;
  options.preset = settings.preset;
  options.speedUnit = shownSpeedUnit();
  options.timeOffsetSeconds = ReadTimeOffset();
  options.tiles = TileSource::FromSettingsFile();
  return options;
}

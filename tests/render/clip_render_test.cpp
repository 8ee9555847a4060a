// Rendered clips of generated drives: every picture of the stretch once, in
// order, with the overlay of its own record over it (compared with the
// overlay drawn here over the source picture); the MP4's index at the
// front, its sound in step; nothing left by a cancel or a failed write; and
// kestrel-cli clip --render.
#include "render/clip_render.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <set>

#include "base/event_channel_text.h"
#include "base/ui_text.h"
#include "catalogue/source_events.h"
#include "container/sensor_track.h"
#include "decoded_movie.h"
#include "scratch_mount.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr double kMinPsnr = 30;
constexpr double kCloser = 3;  // dB

// Pictures `numbers` (ascending, from 0) of a movie as ffmpeg decodes them.
std::vector<QImage> Pictures(const fs::path& movie, const std::vector<int>& numbers,
                             QSize size = {kWidth, kHeight}) {
  std::string select;
  for (const int n : numbers)
    select += (select.empty() ? "" : "+") + ("eq(n\\," + std::to_string(n) + ")");
  const mkcard::ProgramResult decoded = mkcard::RunProgram(
      {"ffmpeg", "-v", "error", "-i", movie.string(), "-vf", "select=" + select + ",format=rgb24",
       "-vsync", "0", "-f", "rawvideo", "-"});
  EXPECT_EQ(decoded.failure + decoded.errors, "");
  std::vector<QImage> pictures;
  const auto bytes = static_cast<std::size_t>(size.width() * size.height() * 3);
  for (std::size_t at = 0; at + bytes <= decoded.output.size(); at += bytes) {
    pictures.push_back(QImage(reinterpret_cast<const uchar*>(decoded.output.data() + at),
                              size.width(), size.height(), size.width() * 3, QImage::Format_RGB888)
                           .convertToFormat(QImage::Format_RGB32));
  }
  EXPECT_EQ(pictures.size(), numbers.size()) << movie;
  return pictures;
}

// The luma (BT.601) of an RGB pixel, as the encoder sees it.
double Luma(QRgb rgb) { return 0.299 * qRed(rgb) + 0.587 * qGreen(rgb) + 0.114 * qBlue(rgb); }

// The peak signal-to-noise ratio of the two pictures' luma over `place`.
double Psnr(const QImage& a, const QImage& b, const QRect& place) {
  double sum = 0;
  for (int y = place.top(); y <= place.bottom(); ++y) {
    for (int x = place.left(); x <= place.right(); ++x) {
      const double d = Luma(a.pixel(x, y)) - Luma(b.pixel(x, y));
      sum += d * d;
    }
  }
  const double mse = sum / (place.width() * place.height());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

// How much closer (in dB) `picture` is to `right` than to `wrong`, over the
// pixels in which those two differ clearly in any colour: a red glyph on the
// dark backing differs little in luma, yet it is the value that changed.
double CloserBy(const QImage& picture, const QImage& right, const QImage& wrong) {
  const auto distance = [](QRgb p, QRgb q) {
    const int r = qRed(p) - qRed(q), g = qGreen(p) - qGreen(q), b = qBlue(p) - qBlue(q);
    return static_cast<double>(r * r + g * g + b * b);
  };
  double toRight = 0, toWrong = 0;
  for (int y = 0; y < right.height(); ++y) {
    for (int x = 0; x < right.width(); ++x) {
      const QRgb r = right.pixel(x, y), w = wrong.pixel(x, y);
      if (std::max({std::abs(qRed(r) - qRed(w)), std::abs(qGreen(r) - qGreen(w)),
                    std::abs(qBlue(r) - qBlue(w))}) <= 64)
        continue;
      toRight += distance(picture.pixel(x, y), r);
      toWrong += distance(picture.pixel(x, y), w);
    }
  }
  EXPECT_GT(toWrong, 0) << "the two overlays differ";
  return 10 * std::log10(toWrong / std::max(toRight, 1.0));
}

// The texts an overlay shows, for messages.
std::string Key(const OverlayPicture& p) {
  return InfoDateTime(p.info).value_or("-") + " " + InfoSpeed(p.info).value_or("-") + " " +
         InfoAccel(p.info.accelX).value_or("-") + " " + InfoAccel(p.info.accelY).value_or("-") +
         " " + InfoAccel(p.info.accelZ).value_or("-");
}

// The names of a file's top-level atoms in order.
std::vector<std::string> TopLevelAtoms(const fs::path& path) {
  const std::vector<std::uint8_t> bytes = FileBytes(path);
  std::vector<std::string> names;
  for (std::size_t at = 0; at + 8 <= bytes.size();) {
    const std::size_t size = (std::size_t{bytes[at]} << 24) | (bytes[at + 1] << 16) |
                             (bytes[at + 2] << 8) | bytes[at + 3];
    names.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at + 8));
    if (size < 8) break;
    at += size;
  }
  return names;
}

// A generated recording at 30 pictures a second, as the viewer's panel
// reads it: the player's frame unit is 90000 / 3000 = 30 "milliseconds",
// so picture p is at frame p x (100 / 3) / 30.
struct Recording {
  std::unique_ptr<SensorTrack> track = std::make_unique<SensorTrack>();
  std::vector<SourceEvent> events;

  explicit Recording(const fs::path& path) {
    EXPECT_TRUE(track->Load(path));
    track->frameTime = 30;
    EXPECT_TRUE(track->MapFrames(200));
    FileEntry entry;
    entry.path = path;
    entry.name = path.filename().string();
    events = RecordingEventsOf(entry, {}).events;
  }

  OverlayPicture At(int picture) const {
    OverlayPicture shown;
    InfoValues& info = shown.info;
    info.frame = picture * 10 / 9;
    info.frameTime = 30;
    info.startTime = track->positions.front().time;
    info.hasStart = 1;
    const AccelRecord& record = *track->frameIndex[static_cast<std::size_t>(info.frame)];
    info.accelX = record.x;
    info.accelY = record.y;
    info.accelZ = record.z;
    info.eventWord = record.event;
    info.fixValid = record.position->valid;
    info.speed = record.position->valid != 0 ? record.position->speed : -1.0;
    shown.hasPosition = record.position->valid != 0;
    shown.latitude = record.position->latitude;
    shown.longitude = record.position->longitude;
    return shown;
  }
};

std::vector<fs::path> Card(const fs::path& folder, const std::string& size,
                           const std::string& seconds, std::vector<std::string> more = {}) {
  std::vector<std::string> options = {"--folders", "1",     "--files", "2",
                                      "--seconds", seconds, "--size",  size};
  options.insert(options.end(), more.begin(), more.end());
  return GenerateRecordings(folder, options);
}

TEST(ClipRender, EveryPictureIsItsSourcePictureWithItsRecordDrawnOverIt) {
  TempDir dir;
  const std::vector<fs::path> card = Card(dir.path() / "card", "1280x720", "3");
  ASSERT_EQ(card.size(), 2u);
  const std::vector<ClipPiece> pieces = {{card[0], 40, 89}, {card[1], 0, 50}};
  const StretchResult stretch = StretchBetweenPictures(card, {card[0], 40}, {card[1], 50});
  ASSERT_EQ(stretch.error, ClipError::kNone) << stretch.why;
  ASSERT_EQ(stretch.stretch.pictures, 101);
  const fs::path output = dir.path() / "out" / "drive.mp4";
  fs::create_directories(output.parent_path());
  const RenderResult result = RenderClip(stretch.stretch, output);
  ASSERT_EQ(result.error, ClipError::kNone) << result.why;
  EXPECT_EQ(result.note, "");
  EXPECT_EQ(std::distance(fs::directory_iterator(output.parent_path()), fs::directory_iterator()),
            1)
      << "nothing beside the MP4";

  // Every picture once, in order, the first the start picture; the index
  // before the media.
  std::vector<int> expected;
  std::vector<std::pair<std::size_t, int>> sources;  // (recording, picture) of each output picture
  for (std::size_t r = 0; r < pieces.size(); ++r) {
    for (auto p = pieces[r].first; p <= pieces[r].last; ++p) {
      expected.push_back(static_cast<int>(r * 65536 + p));
      sources.emplace_back(r, static_cast<int>(p));
    }
  }
  EXPECT_EQ(FfmpegBarcodes(output, kWidth, kHeight), expected) << "ffmpeg";
  EXPECT_EQ(GstreamerBarcodes(output, dir.path() / "v.raw", kWidth, kHeight), expected)
      << "GStreamer";
  const std::vector<std::string> atoms = TopLevelAtoms(output);
  const auto moov = std::find(atoms.begin(), atoms.end(), "moov");
  EXPECT_LT(moov, std::find(atoms.begin(), atoms.end(), "mdat")) << "the index at the front";

  // What the viewer's panel shows for each picture, the event list's names
  // for two seconds after each event, the route of the records shown.
  const Recording recordings[] = {Recording(card[0]), Recording(card[1])};
  std::vector<RoutePoint> route;
  std::vector<std::pair<double, int>> events;  // (seconds from the first picture, channel)
  double pieceStart = 0;
  for (std::size_t r = 0; r < pieces.size(); ++r) {
    const SensorTrack& track = *recordings[r].track;
    for (auto record = pieces[r].first / 3; record <= pieces[r].last / 3; ++record) {
      const PositionRecord& p = track.positions[static_cast<std::size_t>(record)];
      if (p.valid != 0) route.push_back({p.latitude, p.longitude});
    }
    for (const SourceEvent& e : recordings[r].events) {
      events.emplace_back(pieceStart + static_cast<double>(e.offsetMs) / 1000 -
                              static_cast<double>(pieces[r].first) / 30,
                          e.channel);
    }
    pieceStart += static_cast<double>(pieces[r].last - pieces[r].first + 1) / 30;
  }
  ASSERT_FALSE(route.empty());
  const auto shownAt = [&](int k) {
    const auto [r, p] = sources[static_cast<std::size_t>(k)];
    OverlayPicture shown = recordings[r].At(p);
    const double at = k / 30.0;
    double latest = -1e9;
    for (const auto& [start, channel] : events) {
      if (start <= at + 1e-9 && at < start + 2 && start >= latest) {
        latest = start;
        shown.event = EventChannelText(channel).toStdString();
      }
    }
    return shown;
  };
  // The first and last pictures, both sides of the seam, and the first
  // picture of each event inside the stretch.
  std::vector<int> checked = {0, 49, 50, 100};
  for (const auto& [start, channel] : events) {
    if (start > 0 && start < 100 / 30.0)
      checked.push_back(static_cast<int>(std::ceil(start * 30 - 1e-9)));
  }
  std::sort(checked.begin(), checked.end());
  checked.erase(std::unique(checked.begin(), checked.end()), checked.end());
  ASSERT_GT(checked.size(), 5u) << "events inside the stretch";
  std::vector<std::vector<int>> wanted(2);
  for (const int k : checked)
    wanted[sources[static_cast<std::size_t>(k)].first].push_back(
        sources[static_cast<std::size_t>(k)].second);
  const std::vector<QImage> rendered = Pictures(output, checked);
  const std::vector<QImage> source[] = {Pictures(card[0], wanted[0]), Pictures(card[1], wanted[1])};
  ASSERT_EQ(rendered.size(), checked.size());
  const OverlayLayout layout(QSize(kWidth, kHeight), kAllOverlayBlocks);
  std::size_t next[] = {0, 0};
  int eventsSeen = 0;
  for (std::size_t i = 0; i < checked.size(); ++i) {
    const int k = checked[i];
    SCOPED_TRACE("picture " + std::to_string(k));
    const std::size_t r = sources[static_cast<std::size_t>(k)].first;
    const QImage& under = source[r][next[r]++];
    const OverlayPicture shown = shownAt(k);
    eventsSeen += shown.event.empty() ? 0 : 1;
    const auto drawn = [&](const OverlayPicture& values) {
      QImage picture = under.copy();
      QPainter painter(&picture);
      DrawOverlay(painter, layout, values, {route, {}});
      return picture;
    };
    const QImage reference = drawn(shown);
    for (int block = 0; block < kOverlayBlockCount; ++block) {
      const QRect place = *layout.Place(static_cast<OverlayBlock>(block));
      EXPECT_GE(Psnr(rendered[i], reference, place), kMinPsnr) << kOverlayBlockNames[block];
    }
    // Where the overlay of a value one off in its last digit differs, the
    // picture is far closer to the right overlay than to that one (the
    // encoder softens the glyphs' edges, so neither is exact there).
    OverlayPicture off[3] = {shown, shown, shown};
    off[0].info.accelY += 0.01;
    off[1].info.timeOffset = 1;
    off[2].info.fixValid = 1;
    off[2].info.speed = std::max(shown.info.speed, 0.0) + 1;
    for (const OverlayPicture& wrong : off)
      EXPECT_GT(CloserBy(rendered[i], reference, drawn(wrong)), kCloser) << Key(wrong);
  }
  EXPECT_GE(eventsSeen, 2);
}

// The overlay names the events in the viewer's wording, as its event list
// does.
TEST(ClipRender, EventNamesInTheViewersWording) {
  TempDir dir;
  const std::vector<fs::path> card = Card(dir.path() / "card", "1280x720", "3");
  ASSERT_EQ(card.size(), 2u);
  const StretchResult stretch = StretchBetweenPictures(card, {card[0], 0}, {card[1], 89});
  ASSERT_EQ(stretch.error, ClipError::kNone) << stretch.why;
  const struct {
    UiLanguageChoice language;
    std::set<std::string> names;
  } wordings[] = {
      {UiLanguageChoice::kEnglish,
       {"Impact X", "Impact Y", "Impact Z", "User point", "Hard braking", "Parking impact",
        "Speeding", "Drive assist"}},
      {UiLanguageChoice::kJapanese,
       {"衝撃 X", "衝撃 Y", "衝撃 Z", "ユーザーポイント", "急ブレーキ", "駐車衝撃", "速度超過",
        "運転支援"}},
  };
  for (const auto& [language, names] : wordings) {
    SetUiLanguageChoice(language);
    ChooseUiLanguage(QLocale::c());
    OverlayPlan plan;
    std::string why;
    ASSERT_TRUE(PlanOverlay(stretch.stretch, 0, SpeedUnit::kKmh, plan, why)) << why;
    std::set<std::string> shown;
    for (const OverlayPicture& picture : plan.pictures) {
      if (!picture.event.empty()) shown.insert(picture.event);
    }
    EXPECT_GE(shown.size(), 2u);
    for (const std::string& name : shown) EXPECT_EQ(names.count(name), 1u) << name;
  }
}

// A 256 x 256 tile of one grey with a darker grid on it, as PNG: where
// the tiles sit and how large they are drawn shows.
QByteArray TilePng(QColor colour) {
  QImage tile(256, 256, QImage::Format_RGB32);
  tile.fill(colour);
  QPainter grid(&tile);
  grid.setPen(QPen(colour.darker(250), 3));
  for (int at = 0; at < 256; at += 64) {
    grid.drawLine(at, 0, at, 255);
    grid.drawLine(0, at, 255, at);
  }
  grid.end();
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  tile.save(&buffer, "PNG");
  return png;
}

// Calls `each` with every tile (z, x, y) within two tiles of a position of
// `track`, at every level the route map may use.
void ForTilesAround(const SensorTrack& track, const std::function<void(int, int, int)>& each) {
  for (int z = 0; z <= 17; ++z) {
    std::set<std::pair<int, int>> done;
    for (const PositionRecord& p : track.positions) {
      if (p.valid == 0) continue;
      const double n = 1 << z;
      const double phi = p.latitude * M_PI / 180;
      const int x = static_cast<int>((p.longitude + 180) / 360 * n);
      const int y = static_cast<int>((1 - std::asinh(std::tan(phi)) / M_PI) / 2 * n);
      for (int dx = -2; dx <= 2; ++dx) {
        for (int dy = -2; dy <= 2; ++dy) {
          if (x + dx < 0 || y + dy < 0 || x + dx >= n || y + dy >= n) continue;
          if (done.insert({x + dx, y + dy}).second) each(z, x + dx, y + dy);
        }
      }
    }
  }
}

// A folder of z/x/y.png tiles around the track, in one colour.
QString TileFolder(const fs::path& root, const SensorTrack& track, QColor colour) {
  const QByteArray png = TilePng(colour);
  const QString folder = QString::fromStdString(root.string());
  ForTilesAround(track, [&](int z, int x, int y) {
    QDir().mkpath(QStringLiteral("%1/%2/%3").arg(folder).arg(z).arg(x));
    QFile file(QStringLiteral("%1/%2/%3/%4.png").arg(folder).arg(z).arg(x).arg(y));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(png) == png.size());
  });
  return folder;
}

// An MBTiles file of tiles around the track, in one colour (rows from the
// south).
QString TileFile(const fs::path& path, const SensorTrack& track, QColor colour) {
  const QByteArray png = TilePng(colour);
  const QString name = QString::fromStdString(path.string());
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("tiles"));
    db.setDatabaseName(name);
    EXPECT_TRUE(db.open());
    QSqlQuery q(db);
    EXPECT_TRUE(
        q.exec(QStringLiteral("CREATE TABLE tiles (zoom_level integer, tile_column "
                              "integer, tile_row integer, tile_data blob)")));
    db.transaction();
    ForTilesAround(track, [&](int z, int x, int y) {
      q.prepare(QStringLiteral("INSERT INTO tiles VALUES (?, ?, ?, ?)"));
      q.addBindValue(z);
      q.addBindValue(x);
      q.addBindValue((1 << z) - 1 - y);
      q.addBindValue(png);
      EXPECT_TRUE(q.exec()) << q.lastError().text().toStdString();
    });
    db.commit();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("tiles"));
  return name;
}

// The window's choices: some blocks only, large, along the top, in mph; the
// local tiles of a folder or an MBTiles file under the route map.
TEST(ClipRender, ChosenBlocksPlaceSizeUnitAndLocalTiles) {
  TempDir dir;
  const QSize size(640, 360);
  const std::vector<fs::path> card = Card(dir.path() / "card", "640x360", "4");
  ASSERT_EQ(card.size(), 2u);
  const Recording recording(card[0]);
  // Greys: the same in every colour matrix a decoder may assume.
  const QColor folderColour(200, 200, 200), fileColour(140, 140, 140);
  const struct {
    const char* name;
    QString tiles;
    QColor colour;
  } sources[] = {
      {"tile folder", TileFolder(dir.path() / "tiles", *recording.track, folderColour),
       folderColour},
      {"MBTiles", TileFile(dir.path() / "tiles.mbtiles", *recording.track, fileColour), fileColour},
  };
  const StretchResult stretch = StretchBetweenPictures(card, {card[0], 0}, {card[0], 119});
  ASSERT_EQ(stretch.error, ClipError::kNone) << stretch.why;
  std::vector<RoutePoint> route;
  for (std::size_t record = 0; record < 40; ++record) {
    const PositionRecord& p = recording.track->positions[record];
    if (p.valid != 0) route.push_back({p.latitude, p.longitude});
  }
  ASSERT_GT(route.size(), 1u);
  const OverlayBlocks blocks = {true, true, false, false, true};
  const OverlayLayout layout(size, blocks, OverlayScale::kLarge, OverlayPlace::kTop);
  const OverlayLayout bottom(size, kAllOverlayBlocks);
  const std::vector<int> checked = {0, 119};
  const std::vector<QImage> source = Pictures(card[0], checked, size);
  for (const auto& s : sources) {
    SCOPED_TRACE(s.name);
    const TileSource tiles = TileSource::FromSetting(s.tiles);
    const fs::path output = dir.path() / (std::string(s.name) + ".mp4");
    const RenderResult result = RenderClip(stretch.stretch, output,
                                           {.blocks = blocks,
                                            .scale = OverlayScale::kLarge,
                                            .place = OverlayPlace::kTop,
                                            .speedUnit = SpeedUnit::kMph,
                                            .tiles = tiles,
                                            .preset = "ultrafast"});
    ASSERT_EQ(result.error, ClipError::kNone) << result.why;
    const RouteMap map{route, RouteGround(layout, route, tiles)};
    ASSERT_FALSE(map.ground.isNull());
    const std::vector<QImage> rendered = Pictures(output, checked, size);
    ASSERT_EQ(rendered.size(), checked.size());
    for (std::size_t i = 0; i < checked.size(); ++i) {
      SCOPED_TRACE("picture " + std::to_string(checked[i]));
      OverlayPicture shown = recording.At(checked[i]);
      shown.info.speedUnit = SpeedUnit::kMph;
      const auto drawn = [&](const OverlayPicture& values) {
        QImage picture = source[i].copy();
        QPainter painter(&picture);
        DrawOverlay(painter, layout, values, map);
        return picture;
      };
      const QImage reference = drawn(shown);
      for (int block = 0; block < kOverlayBlockCount; ++block) {
        const auto place = layout.Place(static_cast<OverlayBlock>(block));
        // The blocks that are off leave the picture as it was.
        const QRect region = place ? *place : *bottom.Place(static_cast<OverlayBlock>(block));
        EXPECT_GE(Psnr(rendered[i], place ? reference : source[i], region), kMinPsnr)
            << kOverlayBlockNames[block];
      }
      EXPECT_LT(layout.Place(kBlockMap)->bottom(), size.height() / 2) << "along the top";
      // The tiles fill most of the map block.
      const QRect mapPlace = *layout.Place(kBlockMap);
      int tilePixels = 0;
      for (int y = mapPlace.top(); y <= mapPlace.bottom(); ++y) {
        for (int x = mapPlace.left(); x <= mapPlace.right(); ++x) {
          const QRgb p = rendered[i].pixel(x, y);
          tilePixels += std::abs(qRed(p) - s.colour.red()) +
                                    std::abs(qGreen(p) - s.colour.green()) +
                                    std::abs(qBlue(p) - s.colour.blue()) <
                                60
                            ? 1
                            : 0;
        }
      }
      EXPECT_GT(tilePixels, mapPlace.width() * mapPlace.height() / 2);
      // The speed and its unit are in mph.
      OverlayPicture kmh = shown;
      kmh.info.speedUnit = SpeedUnit::kKmh;
      EXPECT_GT(CloserBy(rendered[i], reference, drawn(kmh)), kCloser) << "mph";
    }
  }
}

// AAC sound is copied, other sound is encoded as AAC; both stay in step.
TEST(ClipRender, BeepsStayWithTheirPictures) {
  for (const char* audio : {"aac", "pcm"}) {
    SCOPED_TRACE(audio);
    TempDir dir;
    const std::vector<fs::path> card =
        GenerateRecordings(dir.path() / "card", {"--folders", "1", "--files", "3", "--seconds", "1",
                                                 "--size", "160x120", "--beep", "--audio", audio});
    ASSERT_EQ(card.size(), 3u);
    const StretchResult stretch = StretchBetweenPictures(card, {card[0], 10}, {card[2], 20});
    ASSERT_EQ(stretch.error, ClipError::kNone) << stretch.why;
    const fs::path output = dir.path() / "beeps.mp4";
    const RenderResult result = RenderClip(stretch.stretch, output, {.preset = "ultrafast"});
    ASSERT_EQ(result.error, ClipError::kNone) << result.why;
    EXPECT_EQ(result.note, "");
    const mkcard::ProgramResult codec =
        mkcard::RunProgram({"ffprobe", "-v", "error", "-select_streams", "a", "-show_entries",
                            "stream=codec_name", "-of", "csv=p=0", output.string()});
    EXPECT_EQ(codec.output, "aac\n");
    const double expected[] = {20 / 30.0, 50 / 30.0};
    const std::pair<const char*, std::vector<double>> decoded[] = {
        {"ffmpeg", BeepStarts(FfmpegSound(output))},
        {"GStreamer", BeepStarts(GstreamerSound(output, dir.path() / "a.raw"))}};
    for (const auto& [decoder, starts] : decoded) {
      ASSERT_EQ(starts.size(), 2u) << decoder;
      for (std::size_t k = 0; k < 2; ++k)
        EXPECT_NEAR(starts[k], expected[k], kAudioFrame) << decoder;
    }
  }
}

// Clears the running flag at the first progress message.
class CancelAtFirstProgress : public MessageSink {
 public:
  std::atomic<bool> running{true};
  std::intptr_t total = 0;
  void Post(int message, std::intptr_t, std::intptr_t all) override {
    if (message != ClipOptions::kProgress) return;
    total = all;
    running = false;
  }
};

TEST(ClipRender, CancelFullOrReadOnlyFolderLeaveNothing) {
  TempDir dir;
  const std::vector<fs::path> card = Card(dir.path() / "card", "160x120", "2");
  ASSERT_EQ(card.size(), 2u);
  const auto before = FilesUnder(dir.path() / "card");
  const StretchResult stretch = StretchBetweenPictures(card, {card[0], 10}, {card[1], 50});
  ASSERT_EQ(stretch.error, ClipError::kNone) << stretch.why;
  ScratchMount full(64 * 1024);
  ScratchMount readOnly(1 << 20);
  ASSERT_TRUE(full.ok() && readOnly.ok() && readOnly.MakeReadOnly())
      << full.error() << readOnly.error();
  const fs::path out = dir.path() / "out";
  fs::create_directories(out);
  CancelAtFirstProgress cancel;
  const struct {
    const char* name;
    fs::path folder;
    RenderOptions options;
    ClipError error;
  } cases[] = {
      {"cancelled", out, {.sink = &cancel, .running = &cancel.running}, ClipError::kCancelled},
      {"full", full.path(), {}, ClipError::kFailed},
      {"read-only", readOnly.path(), {}, ClipError::kFailed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const RenderResult result = RenderClip(stretch.stretch, c.folder / "drive.mp4", c.options);
    EXPECT_EQ(result.error, c.error) << result.why;
    EXPECT_NE(result.why, "");
    EXPECT_TRUE(fs::is_empty(c.folder));
  }
  EXPECT_EQ(cancel.total, stretch.stretch.pictures);
  EXPECT_EQ(FilesUnder(dir.path() / "card"), before) << "the recordings as they were";
}

mkcard::ProgramResult Cli(std::vector<std::string> args) {
  args.insert(args.begin(), KESTREL_CLI_PATH);
  return mkcard::RunProgram(args);
}

TEST(ClipRender, CommandLine) {
  TempDir dir;
  const std::vector<fs::path> card = Card(dir.path() / "card", "320x240", "2");
  ASSERT_EQ(card.size(), 2u);
  const std::string source = (dir.path() / "card").string();
  const std::string from = card[0].stem().string() + "@1.5";
  const std::string to = card[1].stem().string() + "@0.5";
  const fs::path out = dir.path() / "drive.mp4";
  // Three blocks at 720p with the fastest preset.
  const mkcard::ProgramResult rendered =
      Cli({"clip", source, "--from", from, "--to", to, "-o", out.string(), "--render", "--overlay",
           "time,g,map", "--size", "720p", "--preset", "ultrafast"});
  ASSERT_EQ(rendered.failure, "") << rendered.errors;
  EXPECT_EQ(rendered.output, out.string() + "\n");
  const mkcard::ProgramResult probe = mkcard::RunProgram(
      {"ffprobe", "-v", "error", "-count_frames", "-select_streams", "v", "-show_entries",
       "stream=codec_name,width,height,nb_read_frames", "-of", "csv=p=0", out.string()});
  EXPECT_EQ(probe.output, "h264,1280,720,30\n");
  // Refusals: words --render does not take, options without --render, an
  // existing output.
  const struct {
    std::vector<std::string> extra;
    const char* says;
  } refusals[] = {
      {{"--render", "--overlay", "time,clock"}, "--overlay takes"},
      {{"--render", "--size", "4k"}, "--size is 720p or source"},
      {{"--render", "--preset", "placebo"}, "--preset is one of"},
      {{"--preset", "fast"}, "go with --render"},
  };
  const fs::path other = dir.path() / "other.mp4";
  for (const auto& refusal : refusals) {
    std::vector<std::string> args = {"clip", source, "--from", from,
                                     "--to", to,     "-o",     other.string()};
    args.insert(args.end(), refusal.extra.begin(), refusal.extra.end());
    const mkcard::ProgramResult refused = Cli(args);
    EXPECT_NE(refused.failure, "");
    EXPECT_NE(refused.errors.find(refusal.says), std::string::npos) << refused.errors;
    EXPECT_FALSE(fs::exists(other));
  }
  // Without the encoder's plug-in: the package to install, and no file.
  const fs::path plugins = dir.path() / "plugins";
  fs::create_directories(plugins);
  for (const auto& entry : fs::directory_iterator("/usr/lib/x86_64-linux-gnu/gstreamer-1.0")) {
    if (entry.path().filename() != "libgstx264.so") {
      fs::create_symlink(entry.path(), plugins / entry.path().filename());
    }
  }
  const mkcard::ProgramResult missing = mkcard::RunProgram(
      {"env", "GST_PLUGIN_SYSTEM_PATH_1_0=" + plugins.string(), "GST_PLUGIN_PATH_1_0=",
       "GST_REGISTRY_1_0=" + (dir.path() / "registry.bin").string(), KESTREL_CLI_PATH, "clip",
       source, "--from", from, "--to", to, "-o", other.string(), "--render"});
  EXPECT_NE(missing.failure, "");
  EXPECT_NE(missing.errors.find("x264enc"), std::string::npos) << missing.errors;
  EXPECT_NE(missing.errors.find("gstreamer1.0-plugins-ugly"), std::string::npos) << missing.errors;
  EXPECT_FALSE(fs::exists(other));
}

}  // namespace

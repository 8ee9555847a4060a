// The engine over recordings of every kind the recorders write: H.264 and
// HEVC, with and without B-frames, at 30, 29.97, 60 and 25 fps, in 720p,
// 1080p and 4K, with AAC of one or two channels, PCM or no sound. Every
// picture that playing, seeking, stepping and the snapshot show is
// identified by the barcode the generator drew into it.
#include <gst/video/video.h>
#include <gtest/gtest.h>

#include <QImageReader>
#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "engine_fixture.h"
#include "message_recorder.h"
#include "mkcard/frame_barcode.h"
#include "recording_fixture.h"

namespace {

using mkcard::SoundKind;
using mkcard::VideoCodec;

struct Kind {
  VideoCodec codec = VideoCodec::kH264;
  int bframes = -1;  // the encoder's own choice
  int fpsNum = 30;
  int fpsDen = 1;
  int height = 720;
  SoundKind sound = SoundKind::kAac;
};

std::string NameOf(const Kind& k) {
  std::string name = k.codec == VideoCodec::kHevc ? "hevc" : "h264";
  name += k.bframes < 0 ? "_bfAuto" : "_bf" + std::to_string(k.bframes);
  name += "_" + std::to_string(k.fpsNum) + (k.fpsDen == 1 ? "" : "_1001") + "fps";
  name += "_" + std::to_string(k.height) + "p";
  const char* sounds[] = {"aac", "stereo", "pcm", "nosound"};
  return name + "_" + sounds[static_cast<int>(k.sound)];
}

// Each value of each axis once with the others at their defaults, then every
// pair of codec, B-frames, frame rate and sound at 720p (an orthogonal
// array of 16 rows), then the larger sizes with each codec.
std::vector<Kind> Matrix() {
  const VideoCodec codecs[] = {VideoCodec::kH264, VideoCodec::kHevc};
  const int bframes[] = {-1, 0, 3};
  const struct { int num, den; } rates[] = {{30, 1}, {30000, 1001}, {60, 1}, {25, 1}};
  const SoundKind sounds[] = {SoundKind::kAac, SoundKind::kStereo, SoundKind::kPcm,
                              SoundKind::kNone};
  std::vector<Kind> rows;
  rows.push_back({});
  rows.push_back({.codec = VideoCodec::kHevc});
  rows.push_back({.bframes = 0});
  rows.push_back({.bframes = 3});
  for (int r = 1; r < 4; ++r) rows.push_back({.fpsNum = rates[r].num, .fpsDen = rates[r].den});
  for (int s = 1; s < 4; ++s) rows.push_back({.sound = sounds[s]});
  for (int rate = 0; rate < 4; ++rate) {
    for (int sound = 0; sound < 4; ++sound) {
      rows.push_back({.codec = codecs[(rate + sound) % 2],
                      .bframes = bframes[(rate + 2 * sound + sound / 2) % 3],
                      .fpsNum = rates[rate].num,
                      .fpsDen = rates[rate].den,
                      .sound = sounds[sound]});
    }
  }
  for (int height : {1080, 2160}) {
    for (VideoCodec codec : codecs) rows.push_back({.codec = codec, .height = height});
  }
  // The orthogonal array repeats two of the single-axis rows.
  std::vector<Kind> unique;
  for (const Kind& row : rows) {
    bool seen = false;
    for (const Kind& u : unique) seen = seen || NameOf(u) == NameOf(row);
    if (!seen) unique.push_back(row);
  }
  return unique;
}

// Frame number of the barcode in a picture of the presenter (BGRx).
int FrameNumberOfSample(GstSample* sample) {
  GstVideoInfo info;
  if (!gst_video_info_from_caps(&info, gst_sample_get_caps(sample))) return -1;
  GstMapInfo map;
  GstBuffer* buffer = gst_sample_get_buffer(sample);
  if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return -1;
  const int width = GST_VIDEO_INFO_WIDTH(&info);
  const int height = GST_VIDEO_INFO_HEIGHT(&info);
  // Only the strip at the top is converted: this runs for every picture.
  const QImage strip(map.data, width, mkcard::BarcodeHeight(height),
                     GST_VIDEO_INFO_PLANE_STRIDE(&info, 0), QImage::Format_RGB32);
  const QImage grey = strip.convertToFormat(QImage::Format_Grayscale8);
  gst_buffer_unmap(buffer, &map);
  const auto code = mkcard::ReadFrameBarcode(grey.constBits(), width, height,
                                             static_cast<int>(grey.bytesPerLine()));
  return code ? code->frame : -1;
}

class MatrixTest : public EngineFixture<>, public ::testing::WithParamInterface<Kind> {
 protected:
  int Shown() { return FrameNumberOf(state_.player->CurrentImage()); }

  // The engine's frames are GetFrameUnit milliseconds long, longer than a
  // picture at 60 fps: the first frame that starts inside or after picture
  // `picture`, and the picture shown at the start of frame `frame`.
  std::int64_t FrameFrom(int picture) {
    const std::int64_t unit = Unit();
    const std::int64_t num = std::int64_t{picture} * GetParam().fpsDen * 1000;
    const std::int64_t den = std::int64_t{GetParam().fpsNum} * unit;
    return (num + den - 1) / den;
  }
  int PictureAt(std::int64_t frame) {
    return static_cast<int>(frame * Unit() * GetParam().fpsNum / (1000 * GetParam().fpsDen));
  }
  std::int64_t Unit() { return static_cast<std::int64_t>(ops_.GetFrameUnit(&state_)); }

  // Plays from the first picture at `rateCode` to the end and stops; returns
  // the barcodes of the pictures on screen from the start, in order.
  std::vector<int> PlayToTheEnd(int rateCode) {
    ops_.SeekToFrame(&state_, 0);
    ops_.SetRate(&state_, rateCode);
    const int first = Shown();  // after the seeks have shown their picture
    struct Log {
      std::mutex mutex;
      std::vector<int> shown;
    };
    // The streaming thread may still hold the callback after it is replaced.
    auto log = std::make_shared<Log>();
    CPlayer* player = state_.player.get();
    player->presenter().SetFrameCallback([log, player] {
      GstSample* sample = player->presenter().TakeNewest();
      if (sample == nullptr) return;
      const int frame = FrameNumberOfSample(sample);
      gst_sample_unref(sample);
      std::lock_guard lock(log->mutex);
      log->shown.push_back(frame);
    });
    const int ended = owner_.ended;
    EXPECT_EQ(ops_.Play(&state_), 1);
    EXPECT_TRUE(WaitUntil([&] { return owner_.ended > ended; }, 60000));
    player->WaitForSeek();
    player->presenter().SetFrameCallback({});
    ops_.Stop(&state_);
    std::lock_guard lock(log->mutex);
    // The sink hands the picture it showed paused on again when it starts.
    std::vector<int> shown{first};
    const auto& played = log->shown;
    shown.insert(shown.end(), played.begin() + (!played.empty() && played[0] == first ? 1 : 0),
                 played.end());
    return shown;
  }
};

TEST_P(MatrixTest, PlaysSeeksStepsAndSnapsEveryKindOfRecording) {
  const Kind& k = GetParam();
  // 2 s (20 sensor records, more than the 16 a playable recording needs),
  // in four groups of pictures.
  mkcard::CardOptions options = SmallCard(1, 2);
  options.codec = k.codec;
  options.bframes = k.bframes;
  options.fpsNum = k.fpsNum;
  options.fpsDen = k.fpsDen;
  options.height = k.height;
  options.width = k.height * 16 / 9;
  options.sound = k.sound;
  options.gop = static_cast<int>(mkcard::PlanCard(options).front().frames / 4);
  const int gop = options.gop;
  GeneratedCard card(options);
  ASSERT_TRUE(card.ok()) << card.error();
  const int frames = card.Plan(0).frames;
  ASSERT_TRUE(OpenReady(card.Path(0)));
  int w = 0, h = 0;
  ASSERT_TRUE(ops_.GetVideoSize(&state_, &w, &h));
  EXPECT_EQ(QSize(w, h), QSize(options.width, options.height));

  // Playing shows pictures in presentation order from the first, none
  // twice, and ends on the last. The sink drops pictures that come too
  // late, so how many show on the way depends on the machine: the share is
  // the matrix benchmark's to measure.
  auto inOrder = [](const std::vector<int>& shown) {
    return std::is_sorted(shown.begin(), shown.end()) &&
           std::adjacent_find(shown.begin(), shown.end()) == shown.end();
  };
  const std::vector<int> normal = PlayToTheEnd(1);
  EXPECT_EQ(normal.front(), 0);
  EXPECT_EQ(normal.back(), frames - 1);
  EXPECT_TRUE(inOrder(normal));
  const std::vector<int> fast = PlayToTheEnd(4);
  EXPECT_EQ(fast.front(), 0);
  EXPECT_EQ(fast.back(), frames - 1);
  EXPECT_TRUE(inOrder(fast));
  ops_.SetRate(&state_, 1);

  // Exact seeks: keyframes, the pictures around them, the last.
  for (int picture : {gop + 1, 0, 2 * gop - 1, frames - 1, gop, frames / 3}) {
    const std::int64_t frame = std::min(FrameFrom(picture), ops_.GetFrameCount(&state_) - 1);
    ASSERT_EQ(ops_.SeekToFrame(&state_, frame), 1);
    EXPECT_EQ(Shown(), PictureAt(frame)) << "seek to frame " << frame;
  }

  // Steps forwards across two keyframes and back; then backwards from a
  // seek across two more, each group decoded from its keyframe.
  auto step = [&](int direction, int count) {
    for (int i = 0; i < count; ++i) {
      const int expected = Shown() + direction;
      ASSERT_TRUE(ops_.StepPicture(&state_, direction)) << "to picture " << expected;
      ASSERT_EQ(Shown(), expected);
    }
  };
  ops_.SeekToFrame(&state_, FrameFrom(gop - 3));
  const int before = PictureAt(FrameFrom(gop - 3));
  ASSERT_EQ(Shown(), before);
  ASSERT_LT(before, gop);
  step(+1, gop + 6);
  step(-1, gop + 6);
  EXPECT_EQ(Shown(), before);
  ops_.SeekToFrame(&state_, FrameFrom(3 * gop + 1));
  const int after = PictureAt(FrameFrom(3 * gop + 1));
  ASSERT_EQ(Shown(), after);
  step(-1, after - 2 * gop + 3);
  step(+1, 3);

  // The snapshot is the stepped picture at the recording's size.
  const QString path = card.dir() + "/snap.jpg";
  ASSERT_TRUE(ops_.SaveSnapshot(&state_, path));
  const QImage saved = QImageReader(path).read();
  EXPECT_EQ(saved.size(), QSize(options.width, options.height));
  EXPECT_EQ(FrameNumberOf(saved), Shown());
  EXPECT_EQ(Shown(), 2 * gop);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MatrixTest, ::testing::ValuesIn(Matrix()),
                         [](const auto& row) { return NameOf(row.param); });

}  // namespace

// The engine with GStreamer's registry limited to a plug-in folder without
// any HEVC decoder (no libav, no libde265): an HEVC recording does not open
// and the main window is told what is missing; H.264 recordings go on
// playing (through OpenH264 and FAAD).
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <filesystem>

#include "answered_boxes.h"
#include "engine_fixture.h"
#include "message_recorder.h"
#include "player/engine_messages.h"
#include "recording_fixture.h"

namespace {

// Decoders of `caps` in the registry.
int DecodersOf(const char* caps) {
  GList* all =
      gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_DECODER, GST_RANK_MARGINAL);
  GstCaps* filter = gst_caps_from_string(caps);
  GList* found = gst_element_factory_list_filter(all, filter, GST_PAD_SINK, FALSE);
  const int count = static_cast<int>(g_list_length(found));
  gst_plugin_feature_list_free(found);
  gst_caps_unref(filter);
  gst_plugin_feature_list_free(all);
  return count;
}

// The main window as far as the engine sees it: the surface's parent.
class WindowStandIn : public QWidget {
 public:
  std::vector<int> messages;

 protected:
  bool event(QEvent* event) override {
    if (auto* message = dynamic_cast<AppMessageEvent*>(event)) {
      messages.push_back(message->message());
      return true;
    }
    return QWidget::event(event);
  }
};

class MissingDecoderTest : public EngineFixture<WindowStandIn> {
 protected:
  int MissingReports() const {
    return static_cast<int>(
        std::count(window_.messages.begin(), window_.messages.end(), WM_MEDIA_MISSING_DECODER));
  }
};

TEST_F(MissingDecoderTest, NamesTheMissingHevcDecoderAndPlaysH264On) {
  ASSERT_EQ(DecodersOf("video/x-h265"), 0) << "the registry still has an HEVC decoder";
  ASSERT_GT(DecodersOf("video/x-h264"), 0);
  // The engine shows no box of its own: telling the user is the window's.
  const AnsweredBoxes boxes;

  mkcard::CardOptions hevc = SmallCard(1, 2);
  hevc.codec = mkcard::VideoCodec::kHevc;
  mkcard::CardOptions silentHevc = hevc;
  silentHevc.sound = mkcard::SoundKind::kNone;
  GeneratedCard hevcCard(hevc), silentCard(silentHevc), h264Card(SmallCard(1, 2));
  for (const GeneratedCard* card : {&hevcCard, &silentCard, &h264Card}) {
    ASSERT_TRUE(card->ok()) << card->error();
  }

  // With sound the pipeline gets ready without a picture; without sound it
  // fails outright. Either way the open fails, naming the decoder.
  int failed = 0;
  for (const GeneratedCard* card : {&hevcCard, &silentCard}) {
    ASSERT_TRUE(ops_.OpenMovie(&state_, card->Path(0)));
    ASSERT_TRUE(WaitUntil([&] { return owner_.failed > failed; }, kOpenTimeout));
    ++failed;
    ASSERT_TRUE(WaitUntil([&] { return MissingReports() == failed; }, kOpenTimeout));
    EXPECT_TRUE(state_.missingDecoder.contains("H.265")) << state_.missingDecoder.toStdString();
    EXPECT_TRUE(state_.missingDecoder.contains("decoder")) << state_.missingDecoder.toStdString();
    EXPECT_EQ(state_.player, nullptr);
    EXPECT_EQ(state_.playState, 0);
  }

  // H.264 opens, plays and seeks as before.
  ASSERT_TRUE(OpenReady(h264Card.Path(0)));
  EXPECT_EQ(FrameNumberOf(state_.player->CurrentImage()), 0);
  ASSERT_EQ(ops_.Play(&state_), 1);
  ASSERT_TRUE(WaitUntil([&] { return owner_.ended > 0; }, kOpenTimeout));
  ops_.SeekToFrame(&state_, 20);
  EXPECT_EQ(FrameNumberOf(state_.player->CurrentImage()), 20 * 30 * 30 / 1000);
  RunEventsFor(100);
  EXPECT_EQ(MissingReports(), 2);
  EXPECT_EQ(owner_.failed, 2);
  EXPECT_EQ(boxes.count(), 0);
}

}  // namespace

// Points GStreamer at a folder holding every system plug-in but those with
// HEVC decoders, with a registry of its own, before it starts.
int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  QTemporaryDir plugins;
  const fs::path folder = plugins.path().toStdString();
  for (const auto& entry : fs::directory_iterator(KESTREL_GST_PLUGINS_DIR)) {
    const std::string name = entry.path().filename().string();
    if (name == "libgstlibav.so" || name == "libgstde265.so") continue;
    fs::create_symlink(entry.path(), folder / name);
  }
  qputenv("GST_PLUGIN_SYSTEM_PATH_1_0", QByteArray::fromStdString(folder.string()));
  qunsetenv("GST_PLUGIN_PATH_1_0");
  qunsetenv("GST_PLUGIN_PATH");
  qputenv("GST_REGISTRY_1_0", QByteArray::fromStdString((folder / "registry.bin").string()));
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  gst_init(&argc, &argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}

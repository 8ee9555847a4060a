// What a pipeline could not handle, told from its error: real pipelines over
// a generated recording, one whose decoder cannot give the pictures the sink
// insists on (the caps negotiation fails), one whose file is not there.
#include "player/unhandled_stream.h"

#include <gtest/gtest.h>

#include <string>

#include "recording_fixture.h"

namespace {

constexpr GstClockTime kTimeout = 20 * GST_SECOND;

struct ErrorCase {
  const char* name;
  const char* tail;    // the pipeline after the file's source
  bool fromRecording;  // the source reads the recording, else a missing file
  bool unhandled;      // IsUnhandledStreamError
  const char* named;   // part of UnhandledStreams, "" for nothing
};

class UnhandledStreamTest : public ::testing::TestWithParam<ErrorCase> {
 protected:
  static void SetUpTestSuite() {
    card_ = new GeneratedCard(SmallCard(1, 1));
    ASSERT_TRUE(card_->ok()) << card_->error();
  }
  static void TearDownTestSuite() {
    delete card_;
    card_ = nullptr;
  }
  static GeneratedCard* card_;
};

GeneratedCard* UnhandledStreamTest::card_ = nullptr;

TEST_P(UnhandledStreamTest, NamesWhatTheFailedPipelineCouldNotHandle) {
  const ErrorCase& c = GetParam();
  GstElementFactory* decoder = gst_element_factory_find("avdec_h264");
  if (decoder == nullptr) GTEST_SKIP() << "no avdec_h264";
  gst_object_unref(decoder);
  const std::string file =
      c.fromRecording ? card_->Path(0).toStdString() : card_->dir().toStdString() + "/absent.MOV";
  const std::string description = "filesrc location=\"" + file + "\" ! " + c.tail;
  GError* parseError = nullptr;
  GstElement* pipeline = gst_parse_launch(description.c_str(), &parseError);
  ASSERT_NE(pipeline, nullptr) << (parseError != nullptr ? parseError->message : "");
  g_clear_error(&parseError);
  gst_element_set_state(pipeline, GST_STATE_PAUSED);
  GstBus* bus = gst_element_get_bus(pipeline);
  GstMessage* error = gst_bus_timed_pop_filtered(bus, kTimeout, GST_MESSAGE_ERROR);
  gst_object_unref(bus);
  ASSERT_NE(error, nullptr) << "the pipeline did not fail";
  EXPECT_EQ(IsUnhandledStreamError(error), c.unhandled);
  const std::string named = UnhandledStreams(pipeline, error);
  if (*c.named == '\0') {
    EXPECT_EQ(named, "");
  } else {
    EXPECT_NE(named.find(c.named), std::string::npos) << named;
  }
  gst_message_unref(error);
  gst_element_set_state(pipeline, GST_STATE_NULL);
  gst_object_unref(pipeline);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, UnhandledStreamTest,
    ::testing::Values(
        // The decoder gives I420 only; the sink takes nothing but GRAY8.
        ErrorCase{"PicturesTheSinkRefuses",
                  "qtdemux ! h264parse ! avdec_h264 ! video/x-raw,format=GRAY8 ! fakesink", true,
                  true, "H.264"},
        ErrorCase{"FileMissing", "qtdemux ! fakesink", false, false, ""}),
    [](const ::testing::TestParamInfo<ErrorCase>& param) { return std::string(param.param.name); });

}  // namespace

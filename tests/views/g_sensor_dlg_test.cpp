#include "views/g_sensor_dlg.h"

#include <gtest/gtest.h>

#include <QTest>
#include <functional>
#include <set>

#include "base/app_message.h"
#include "container/sensor_track.h"
#include "views/g_sensor_plan.h"

namespace {

constexpr int kHeight = 186;   // the graph's height in window mode 0
constexpr int kLineRow = 170;  // below the background, above no band
constexpr int kBandRow = 180;

// A track of `frames` frames, one record each, the records made by `make`.
void Fill(SensorTrack& track, int frames, const std::function<void(int, AccelRecord&)>& make) {
  track.accels.assign(static_cast<std::size_t>(frames), AccelRecord{});
  track.frameIndex.clear();
  for (int i = 0; i < frames; ++i) {
    AccelRecord& r = track.accels[static_cast<std::size_t>(i)];
    r.sequence = i;
    r.frame = i;
    make(i, r);
    track.frameIndex.push_back(&r);
  }
}

// A graph of `width` x kHeight over the track with the cursor at `cursor`.
struct Graph {
  CGSensorDlg dlg;
  Graph(const SensorTrack* track, int width, std::int64_t frames, std::int64_t cursor) {
    dlg.resize(width, kHeight);
    dlg.SetTrack(track, nullptr);
    dlg.SetFrameCount(frames);
    dlg.SetCursorFrame(cursor);
    dlg.SetCursorShown(true);
    dlg.SetDataPresent(true);
    dlg.SetScaleIndex(3);
  }
  QImage Image() { return dlg.Render().copy(); }
};

QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }
bool IsWhite(const QColor& c) { return c == QColor(255, 255, 255); }
bool IsBlack(const QColor& c) { return c == QColor(0, 0, 0); }
// RGB(170,0,0) at alpha 127 over black.
bool IsBandOverBlack(const QColor& c) {
  return std::abs(c.red() - 170 * 127 / 255) <= 1 && c.green() == 0 && c.blue() == 0;
}
bool HasWhiteIn(const QImage& image, const QRect& box) {
  for (int y = box.top(); y <= box.bottom(); ++y) {
    for (int x = box.left(); x <= box.right(); ++x) {
      if (IsWhite(At(image, x, y))) return true;
    }
  }
  return false;
}
int GreenPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = CGSensorDlg::kLeftMargin; x < image.width(); ++x) {
      const QColor c = At(image, x, y);
      if (c.green() == 255 && c.red() < 160 && c.blue() < 160) ++count;
    }
  }
  return count;
}

}  // namespace

TEST(GSensorGraph, FrameWindowAndScaleRules) {
  const FrameWindow whole = FrameWindowFor(601, 300, 120);
  EXPECT_GT(whole.step, 2.0);
  EXPECT_LT(whole.step, 2.01);
  EXPECT_EQ(whole.start, 0.0) << "fewer frames than pixels: the whole recording";
  const FrameWindow moving = FrameWindowFor(500, 2000, 1000);
  EXPECT_EQ(moving.step, 1.0);
  EXPECT_EQ(moving.start, 750.0);
  const std::pair<double, int> peaks[] = {{0.0, 0}, {0.49, 0}, {0.5, 1}, {0.99, 1},
                                          {1.0, 2}, {1.49, 2}, {1.5, 3}, {4.0, 3}};
  for (const auto& [peak, index] : peaks) EXPECT_EQ(ScaleIndexForPeak(peak), index) << peak;
  EXPECT_EQ(GraphAmplitude(150, 0), 144);
  EXPECT_EQ(GraphAmplitude(150, 3), 36);
  EXPECT_EQ(CurveOffset(-3.5, 36, 75), -72) << "limited to -2 G";
  EXPECT_EQ(CurveOffset(3.0, 144, 75), 75) << "limited to half the graph";

  // Vertices: where the offset changes, and every 7th frame of a flat run;
  // a step after a long run first reaches the run's last point.
  CurveBuilder curve;
  const int offsets[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5, 5, 3};
  for (int x = 0; x < 13; ++x) curve.Add(x * 2, offsets[x]);
  curve.Flush();
  const std::vector<CurvePoint> expected = {{0, 0}, {14, 0}, {18, 0}, {20, 5}, {24, 3}};
  EXPECT_EQ(curve.points(), expected);
}

TEST(GSensorGraph, WholeRecordingMarksBandAndCursor) {
  // 300 frames in a 601-pixel plot: step 601 / 300, each frame at int(k x step).
  SensorTrack track;
  Fill(track, 300, [](int i, AccelRecord& r) {
    if (i >= 100 && i <= 109) r.flag8 = 8;  // a speeding stretch
    if (i == 200) r.flag8 = 8;              // one speeding frame
    if (i == 50 || i == 51) r.event = 5;    // two user-point frames
    if (i == 150) r.axis = 1;
    if (i == 160) r.axis = 2;
    if (i == 170) r.axis = 3;
    if (i == 250) {  // speeding and an X impact at once
      r.axis = 1;
      r.flag8 = 8;
    }
  });
  Graph graph(&track, 652, 300, 0);
  const QImage image = graph.Image();
  const auto column = [](int frame) { return 50 + static_cast<int>(frame * (601.0 / 300.0)); };

  EXPECT_TRUE(IsWhite(At(image, 50, 5))) << "the cursor at frame 0";
  EXPECT_TRUE(IsWhite(At(image, 50, kLineRow)));
  EXPECT_NE(At(image, 10, 75), QColor(0, 0, 0)) << "the label column of the background";

  // The stretch: one band from its first frame to two columns past its last.
  EXPECT_TRUE(IsBlack(At(image, column(100) - 1, kBandRow)));
  EXPECT_TRUE(IsWhite(At(image, column(100), kLineRow))) << "the stretch's # mark";
  for (int x = column(100) + 1; x <= column(109) + 2; ++x) {
    EXPECT_TRUE(IsBandOverBlack(At(image, x, kBandRow))) << "column " << x;
  }
  EXPECT_TRUE(IsBlack(At(image, column(109) + 3, kBandRow)));
  EXPECT_FALSE(IsWhite(At(image, column(101), kLineRow))) << "one mark for the stretch";
  // One speeding frame: a band three pixels wide.
  EXPECT_TRUE(IsBlack(At(image, column(200) - 1, kBandRow)));
  EXPECT_TRUE(IsBandOverBlack(At(image, column(200) + 1, kBandRow)));
  EXPECT_TRUE(IsBandOverBlack(At(image, column(200) + 2, kBandRow)));
  EXPECT_TRUE(IsBlack(At(image, column(200) + 3, kBandRow)));

  // Two user-point frames in a row: one "M" line.
  EXPECT_TRUE(IsWhite(At(image, column(50), kLineRow)));
  EXPECT_TRUE(IsBlack(At(image, column(51), kLineRow)));

  // Each axis mark in its icon's pen.
  EXPECT_EQ(At(image, column(150), kLineRow), QColor(0, 255, 0));
  EXPECT_EQ(At(image, column(160), kLineRow), QColor(255, 0, 0));
  EXPECT_EQ(At(image, column(170), kLineRow), QColor(128, 128, 255));

  // Speeding and impact at once: both the "#" (row 3) and the "G" (row 1);
  // the speeding frame alone has no "G".
  const int base = 150 - 5;
  const auto labelBox = [base](int x, int row) { return QRect(x + 1, base - row * 10, 10, 10); };
  EXPECT_TRUE(HasWhiteIn(image, labelBox(column(250), 3)));
  EXPECT_TRUE(HasWhiteIn(image, labelBox(column(250), 1)));
  EXPECT_TRUE(HasWhiteIn(image, labelBox(column(200), 3)));
  EXPECT_FALSE(HasWhiteIn(image, labelBox(column(200), 1)));
}

TEST(GSensorGraph, LongRecordingShowsTheWindowAroundTheCursor) {
  // 2000 frames in a 500-pixel plot, cursor at 1000: frames 750 to 1249.
  SensorTrack track;
  Fill(track, 2000, [](int i, AccelRecord& r) {
    if (i == 700 || i == 760 || i == 1249) r.event = 5;
  });
  Graph graph(&track, 551, 2000, 1000);
  const QImage image = graph.Image();
  std::set<int> whiteColumns;
  for (int x = 0; x < image.width(); ++x) {
    if (IsWhite(At(image, x, kLineRow))) whiteColumns.insert(x);
  }
  EXPECT_EQ(whiteColumns, (std::set<int>{50 + 10, 50 + 250, 50 + 499}))
      << "marks of frames 760 and 1249, the cursor at frame 1000; frame 700 is outside";
  EXPECT_TRUE(IsWhite(At(image, 300, 0))) << "the cursor runs the full height";
}

TEST(GSensorGraph, CurvesAreClampedAndFollowTheAxisSwitch) {
  SensorTrack track;
  Fill(track, 100, [](int i, AccelRecord& r) {
    r.x = -3.5;
    if (i == 10) r.axis = 1;
  });
  Graph graph(&track, 652, 100, 0);
  QImage image = graph.Image();
  // -3.5 G is drawn at -2 G: 72 pixels under the mid-line at scale 3.
  EXPECT_EQ(At(image, 300, 75 + 72).green(), 255);
  EXPECT_NE(At(image, 300, 75 + 73).green(), 255);
  EXPECT_NE(At(image, 300, 75 + 75).green(), 255);
  EXPECT_EQ(At(image, 50 + 60, kLineRow), QColor(0, 255, 0)) << "the X impact's mark";
  EXPECT_GT(GreenPixels(image), 500);

  EventChannelSwitches switches{};
  switches[kChannelX].shownOnGraph = false;
  graph.dlg.SetSwitches(switches);
  image = graph.Image();
  EXPECT_EQ(GreenPixels(image), 0) << "no X curve and no X mark";
}

TEST(GSensorGraph, BadInputDrawsBackgroundAndCursorOnly) {
  SensorTrack track;
  Fill(track, 300, [](int i, AccelRecord& r) {
    r.flag8 = i >= 20 ? 8 : 0;
    if (i >= 40) r.sequence = 100000;  // records the track does not hold
  });
  struct Case {
    const char* what;
    const SensorTrack* track;
    int width;
    std::int64_t frames;
    std::int64_t cursor;
    int cursorX;  // -1 where the cursor lies outside
  };
  SensorTrack empty;
  const Case cases[] = {
      {"records missing past frame 40", &track, 652, 300, 0, 50},
      {"a frame count of 0", &track, 652, 0, 10, 50},
      {"the cursor past the end", &track, 652, 300, 400, -1},
      {"no records at all", &empty, 652, 300, 0, 50},
      {"no track", nullptr, 652, 300, 0, 50},
      {"a window too narrow for a plot", &track, 40, 300, 0, -1},
      {"a window of no width", &track, 0, 300, 0, -1},
  };
  for (const Case& c : cases) {
    Graph graph(c.track, c.width, c.frames, c.cursor);
    const QImage image = graph.Image();
    if (c.width == 0) {
      EXPECT_TRUE(image.isNull() || image.width() == 0) << c.what;
      continue;
    }
    EXPECT_NE(At(image, 10, 75), QColor(0, 0, 0)) << c.what << ": the background";
    if (c.cursorX >= 0) {
      EXPECT_TRUE(IsWhite(At(image, c.cursorX, kLineRow))) << c.what;
    }
    if (c.width > 300) {
      EXPECT_FALSE(IsBandOverBlack(At(image, 250, kBandRow))) << c.what << ": nothing past the gap";
    }
  }
}

TEST(GSensorGraph, ButtonsAskForThePreviousAndNextEvent) {
  struct Target : QObject {
    std::vector<int> messages;
    bool event(QEvent* e) override {
      if (auto* m = dynamic_cast<AppMessageEvent*>(e)) messages.push_back(m->message());
      return QObject::event(e);
    }
  } target;
  CGSensorDlg dlg;
  dlg.resize(300, kHeight);
  dlg.setMessageTarget(&target);
  dlg.show();
  QTest::mouseClick(&dlg, Qt::LeftButton, {}, QPoint(100, 50));
  QTest::mouseClick(&dlg, Qt::RightButton, {}, QPoint(100, 50));
  QCoreApplication::processEvents();
  EXPECT_EQ(target.messages, (std::vector<int>{0x8191, 0x8192}));
  EXPECT_FALSE(dlg.accessibleName().isEmpty());
}

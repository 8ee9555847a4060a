#include "views/obd_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QtMath>
#include <vector>

#include "base/app_message.h"
#include "views/meter_face.h"

namespace {

// The main window's stand-in: a widget that notes the messages it gets.
class Owner : public QWidget {
 public:
  std::vector<int> messages;

 protected:
  bool event(QEvent* event) override {
    if (auto* m = dynamic_cast<AppMessageEvent*>(event)) {
      messages.push_back(m->message());
      return true;
    }
    return QWidget::event(event);
  }
};

struct Meters {
  Owner owner;
  CObdDlg dlg{&owner};
  bool playing = false;

  Meters() {
    owner.setGeometry(40, 30, 800, 600);
    owner.show();
    dlg.SetOwner(&owner);
    dlg.SetPlayingQuery([this] { return playing; });
    dlg.Start(640, 240);
  }
  // Words for one value of a kind (the others missing).
  void ShowValue(int kind, int value) {
    std::array<std::uint16_t, 5> words;
    words.fill(kMissingVehicleWord);
    const int perKind[] = {value * 10, value * 100, value + 11, value + 40, value};
    words[kind] = static_cast<std::uint16_t>(perKind[kind]);
    dlg.SetValues(words[0], words[1], words[2], words[3], words[4]);
  }
  // Ticks slot 0's timer until its needle rests; returns the needle's values.
  std::vector<int> Settle(int slot = 0) {
    std::vector<int> seen;
    do {
      dlg.OnTimer(slot);
      seen.push_back(dlg.needleValue(slot));
    } while (dlg.animating(slot) && seen.size() < 1000);
    return seen;
  }
};

TEST(ObdDlg, StartsThreeMetersBesideTheOwner) {
  Meters m;
  m.dlg.show();
  EXPECT_EQ(m.dlg.windowTitle(), QString::fromUtf8("車両情報"));
  EXPECT_NEAR(m.dlg.windowOpacity(), 229 / 255.0, 0.01);
  EXPECT_EQ(m.dlg.size(), QSize(640, 240));
  EXPECT_EQ(m.dlg.pos(), m.owner.pos() + QPoint(6, 407));
  EXPECT_EQ(m.dlg.meterOffset(), (240 - 183) / 2);
  const QStringList kinds{"スロットル開度", "エンジン回転数", "インマニ圧", "エンジン水温",
                          "スピード"};
  for (int slot = 0; slot < CObdDlg::kSlotCount; ++slot) {
    QComboBox* list = m.dlg.list(slot);
    ASSERT_EQ(list->count(), 5);
    for (int kind = 0; kind < 5; ++kind) EXPECT_EQ(list->itemText(kind), kinds[kind]);
    EXPECT_EQ(list->currentIndex(), slot);
    EXPECT_TRUE(list->isEnabled());
    EXPECT_FALSE(list->accessibleName().isEmpty());
    EXPECT_EQ(list->geometry().top(), m.dlg.meterOffset() + 153);
    EXPECT_TRUE(m.dlg.timer(slot).isActive());
    EXPECT_EQ(m.dlg.timer(slot).interval(), 50);
  }
  EXPECT_EQ(m.dlg.needleValue(2), 90);  // manifold pressure starts at the atmosphere
}

TEST(ObdDlg, NeedlesStepTowardsTheLimitedValues) {
  Meters m;
  m.dlg.list(0)->setCurrentIndex(kMeterSpeed);
  m.ShowValue(kMeterSpeed, 0);
  m.Settle();
  m.ShowValue(kMeterSpeed, 100);
  std::vector<int> seen = m.Settle();
  ASSERT_EQ(seen.size(), 15u);  // fourteen steps, then the tick that ends the animation
  EXPECT_EQ(seen[11], 96);
  EXPECT_EQ(seen[12], 98);
  EXPECT_EQ(seen[13], 100);
  EXPECT_EQ(seen[14], 100);

  struct Case {
    int kind;
    std::uint16_t word;
    int shown;
  };
  const Case cases[] = {
      {kMeterCoolant, kMissingVehicleWord, 0},
      {kMeterCoolant, 150, 105},
      {kMeterManifoldPressure, 101, 90},
      {kMeterManifoldPressure, kMissingVehicleWord, 90},
      {kMeterThrottle, 2000, 100},
      {kMeterEngineSpeed, 4321, 43},
  };
  for (const Case& c : cases) {
    m.dlg.list(1)->setCurrentIndex(c.kind);
    std::array<std::uint16_t, 5> words;
    words.fill(kMissingVehicleWord);
    words[c.kind] = c.word;  // the words come in the kinds' order
    m.dlg.SetValues(words[0], words[1], words[2], words[3], words[4]);
    m.Settle(1);
    EXPECT_EQ(m.dlg.needleValue(1), c.shown) << c.kind << ' ' << c.word;
  }
}

TEST(ObdDlg, SpeedMeterInMph) {
  Meters m;
  m.dlg.SetSpeedUnit(SpeedUnit::kMph);
  m.dlg.list(0)->setCurrentIndex(kMeterSpeed);
  const std::pair<int, int> cases[] = {{0, 0}, {1, 1}, {100, 62}, {180, 112}, {400, 180}};
  for (const auto& [kmh, mph] : cases) {
    m.ShowValue(kMeterSpeed, kmh);
    m.Settle();
    EXPECT_EQ(m.dlg.needleValue(0), mph) << kmh << " km/h";
  }
  // The face is the mph dial's: its scale ends at 180 where the km/h one
  // ends at 300.
  EXPECT_DOUBLE_EQ(NeedleAngle(kMeterSpeed, 180, SpeedUnit::kMph),
                   NeedleAngle(kMeterSpeed, 300, SpeedUnit::kKmh));
  QImage mph(kMeterWidth, kMeterHeight, QImage::Format_RGB32);
  QImage kmh(kMeterWidth, kMeterHeight, QImage::Format_RGB32);
  QPainter mphPainter(&mph);
  DrawDialFace(mphPainter, kMeterSpeed, SpeedUnit::kMph);
  mphPainter.end();
  QPainter kmhPainter(&kmh);
  DrawDialFace(kmhPainter, kMeterSpeed, SpeedUnit::kKmh);
  kmhPainter.end();
  EXPECT_NE(mph, kmh);
}

TEST(ObdDlg, ListsLockWhilePlayingAndClosingStopsTheMeters) {
  Meters m;
  m.dlg.show();
  m.playing = true;
  m.dlg.list(2)->setCurrentIndex(kMeterCoolant);
  EXPECT_FALSE(m.dlg.list(2)->isEnabled());
  m.dlg.OnTimer(0);
  EXPECT_FALSE(m.dlg.list(2)->isEnabled());
  m.playing = false;
  m.dlg.OnTimer(0);
  EXPECT_TRUE(m.dlg.list(2)->isEnabled());

  const QPoint moved = m.dlg.pos() + QPoint(30, 20);
  m.dlg.move(moved);
  m.dlg.close();
  QApplication::processEvents();
  EXPECT_EQ(m.owner.messages, std::vector<int>{CObdDlg::kMessageClosed});
  EXPECT_FALSE(m.dlg.isVisible());
  for (int slot = 0; slot < CObdDlg::kSlotCount; ++slot) EXPECT_FALSE(m.dlg.timer(slot).isActive());

  m.dlg.Start(640, 240);
  m.dlg.show();
  EXPECT_EQ(m.dlg.pos(), moved);  // keeps its place
  EXPECT_EQ(m.dlg.list(2)->currentIndex(), 2);
  for (int slot = 0; slot < CObdDlg::kSlotCount; ++slot) EXPECT_TRUE(m.dlg.timer(slot).isActive());
}

// Tells whether the pixel is the needle's colour.
bool IsNeedle(const QImage& image, QPointF at) {
  const QColor c = image.pixelColor(at.toPoint());
  return c.red() > 200 && c.green() < 130 && c.blue() < 100;
}

TEST(ObdDlg, NeedleTipLiesOnTheRayOfTheAngle) {
  struct Row {
    int kind, value;
    double angle;
  };
  const Row rows[] = {
      {0, 0, 261.5}, {0, 10, 282},   {0, 25, 311.5}, {0, 50, 0},    {0, 75, 48.5},  {0, 100, 99},
      {1, 0, 261.5}, {1, 50, 0},     {1, 100, 99},   {2, 0, 251.5}, {2, 45, 296.5}, {2, 90, 340.5},
      {2, 110, 0},   {2, 155, 43.5}, {2, 220, 108},  {3, 0, 261.5}, {3, 20, 301.5}, {3, 40, 340},
      {3, 60, 19.5}, {3, 80, 58.5},  {3, 105, 108},  {4, 0, 261.5}, {4, 60, 301.5}, {4, 100, 328.5},
      {4, 150, 0},   {4, 200, 31},   {4, 300, 99},
  };
  Meters m;
  m.dlg.show();
  for (const Row& row : rows) {
    m.dlg.list(0)->setCurrentIndex(row.kind);
    m.ShowValue(row.kind, row.value);
    m.Settle();
    ASSERT_EQ(m.dlg.needleValue(0), row.value);
    const QImage image = m.dlg.grab().toImage();
    const QPointF pivot = QPointF(m.dlg.meterRect(0).topLeft()) + QPointF(105, 108);
    const auto onRay = [&](double angle, double radius) {
      const double theta = qDegreesToRadians(angle);
      return pivot + QPointF(radius * std::sin(theta), -radius * std::cos(theta));
    };
    const std::string where = std::to_string(row.kind) + " " + std::to_string(row.value);
    EXPECT_TRUE(IsNeedle(image, onRay(row.angle, 84))) << where;
    EXPECT_TRUE(IsNeedle(image, onRay(row.angle, 40))) << where;
    EXPECT_FALSE(IsNeedle(image, onRay(row.angle, 91))) << where;  // past the tip
    EXPECT_FALSE(IsNeedle(image, onRay(row.angle + 4, 80))) << where;
    EXPECT_FALSE(IsNeedle(image, onRay(row.angle - 4, 80))) << where;
  }
}

}  // namespace

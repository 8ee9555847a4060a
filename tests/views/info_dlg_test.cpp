#include "views/info_dlg.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <vector>

#include "base/app_message.h"
#include "base/ui_text.h"
#include "container/sensor_record_decoder.h"
#include "mkcard/sensor_payload.h"

namespace {

CalendarTime At(int year, int month, int day, int hour, int minute, int second) {
  CalendarTime t;
  t.year = static_cast<std::uint16_t>(year);
  t.month = static_cast<std::uint16_t>(month);
  t.day = static_cast<std::uint16_t>(day);
  t.hour = static_cast<std::uint16_t>(hour);
  t.minute = static_cast<std::uint16_t>(minute);
  t.second = static_cast<std::uint16_t>(second);
  return t;
}

TEST(InfoText, Speed) {
  struct Case {
    double speed;
    int fix;
    std::optional<QString> shown;
    SpeedUnit unit = SpeedUnit::kKmh;
  };
  const Case cases[] = {
      {1234.7, 1, QStringLiteral("999 ")},
      {0.0, 1, QStringLiteral("0 ")},
      {0.0, 0, std::nullopt},
      {-1.0, 1, std::nullopt},
      {57.5, 1, QStringLiteral("58 ")},
      {999.4, 1, QStringLiteral("999 ")},
      {0.0, 1, QStringLiteral("0 "), SpeedUnit::kMph},
      {1.0, 1, QStringLiteral("1 "), SpeedUnit::kMph},
      {100.0, 1, QStringLiteral("62 "), SpeedUnit::kMph},
      {180.0, 1, QStringLiteral("112 "), SpeedUnit::kMph},
      {2000.0, 1, QStringLiteral("999 "), SpeedUnit::kMph},
      {100.0, 0, std::nullopt, SpeedUnit::kMph},
      {-1.0, 1, std::nullopt, SpeedUnit::kMph},
  };
  for (const Case& c : cases) {
    InfoValues v;
    v.speed = c.speed;
    v.fixValid = c.fix;
    v.speedUnit = c.unit;
    EXPECT_EQ(InfoSpeedText(v), c.shown)
        << c.speed << " fix " << c.fix << ' ' << SpeedUnitLabel(c.unit);
  }
}

TEST(InfoText, AccelerationFromRecordedValues) {
  // Values as the recorder writes them (whole milli-G), read back through the
  // record decoder; the hundredths are cut toward zero, exactly.
  const std::pair<int, const char*> cases[] = {
      {290, "0.29G"},    {-290, "-0.29G"}, {1150, "1.15G"}, {4990, "4.99G"},
      {-4990, "-4.99G"}, {0, "0.00G"},     {-1, "0.00G"},   {456, "0.45G"},
      {-456, "-0.45G"},  {-9, "0.00G"},    {-10, "-0.01G"}, {2500, "2.50G"},
  };
  for (const auto& [milli, shown] : cases) {
    mkcard::SensorSample sample;
    sample.gx = milli;
    const std::string bytes = mkcard::RecordBytes(sample);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const AccelRecord r = DecodeAccelRecord(SensorRecordBytes(data, kSensorRecordSize), 0);
    EXPECT_EQ(InfoAccelText(r.x), QString::fromLatin1(shown)) << milli << " milli-G";
  }
  // Every hundredth between -4.99 and 4.99 shows as itself.
  for (int hundredths = -499; hundredths <= 499; ++hundredths) {
    const QString expected =
        QString::asprintf("%s%d.%02dG", hundredths < 0 ? "-" : "", std::abs(hundredths) / 100,
                          std::abs(hundredths) % 100);
    EXPECT_EQ(InfoAccelText(hundredths * 10 / 1000.0), expected) << hundredths;
  }
  EXPECT_EQ(InfoAccelText(-5.0), std::nullopt);
  EXPECT_EQ(InfoAccelText(-7.0), std::nullopt);
}

TEST(InfoText, DateAndTime) {
  InfoValues v;
  v.frameTime = 33.3f;
  v.frame = 0;
  EXPECT_EQ(InfoDateTimeText(v), std::nullopt) << "no start time yet";
  v.startTime = At(2051, 3, 1, 12, 0, 0);
  v.hasStart = 1;
  EXPECT_EQ(InfoDateTimeText(v), QStringLiteral("2016/03/01 12:00:00"));
  v.startTime = At(2023, 6, 12, 8, 30, 0);
  v.frame = 300;
  EXPECT_EQ(InfoDateTimeText(v), QStringLiteral("2023/06/12 08:30:09")) << "9.99 s, truncated";
  v.frame = 301;
  EXPECT_EQ(InfoDateTimeText(v), QStringLiteral("2023/06/12 08:30:10"));
  v.startTime = At(2049, 12, 31, 23, 59, 59);
  v.frame = 31;
  EXPECT_EQ(InfoDateTimeText(v), QStringLiteral("2015/01/01 00:00:00"))
      << "the frame's time crosses into 2050";
  v.timeOffset = -3600;  // a clock an hour fast, corrected
  EXPECT_EQ(InfoDateTimeText(v), QStringLiteral("2049/12/31 23:00:00"));
  v.timeOffset = 0;
  v.frame = -1;
  EXPECT_EQ(InfoDateTimeText(v), std::nullopt);
  v.frame = 0;
  v.startTime = CalendarTime{};
  EXPECT_EQ(InfoDateTimeText(v), std::nullopt) << "a zero time";
}

TEST(InfoText, PlayTime) {
  const std::pair<std::int64_t, const char*> cases[] = {{0, "0:00"},
                                                        {999, "0:00"},
                                                        {23'000, "0:23"},
                                                        {60'000, "1:00"},
                                                        {725'999, "12:05"},
                                                        {3'599'999, "59:59"},
                                                        {3'600'000, "1:00:00"},
                                                        {3'723'000, "1:02:03"},
                                                        {36'000'000, "10:00:00"},
                                                        {-5, "0:00"}};
  for (const auto& [ms, text] : cases) EXPECT_EQ(PlayTimeText(ms), text) << ms;
}

// Keeps the messages the panel's toggles post.
class Receiver : public QObject {
 public:
  std::vector<std::pair<std::intptr_t, std::intptr_t>> toggles;

 protected:
  bool event(QEvent* event) override {
    auto* m = dynamic_cast<AppMessageEvent*>(event);
    if (m == nullptr || m->message() != CInfoDlg::kMessageAxisToggle) return QObject::event(event);
    toggles.emplace_back(m->wParam(), m->lParam());
    return true;
  }
};

TEST(InfoDlg, ResetGivesTheNoDataValues) {
  CInfoDlg panel;
  panel.SetAccel(0.1, 0.2, 0.3);
  panel.SetSpeed(40);
  panel.SetFixValid(1);
  panel.SetFrame(12);
  panel.SetQuality(3);
  panel.Reset();
  const InfoValues& v = panel.values();
  EXPECT_EQ(v.accelX, -5.0);
  EXPECT_EQ(v.accelY, -5.0);
  EXPECT_EQ(v.accelZ, -5.0);
  EXPECT_EQ(v.speed, -1.0);
  EXPECT_EQ(v.frame, -1);
  EXPECT_EQ(v.fixValid, 0);
  EXPECT_EQ(v.quality, 0);
}

TEST(InfoDlg, AxisLabelsFollowTheWording) {
  const std::pair<UiLanguageChoice, QStringList> wordings[] = {
      {UiLanguageChoice::kJapanese,
       {QStringLiteral("前後(X軸)"), QStringLiteral("左右(Y軸)"), QStringLiteral("上下(Z軸)")}},
      {UiLanguageChoice::kEnglish,
       {QStringLiteral("Fore-aft (X)"), QStringLiteral("Lateral (Y)"),
        QStringLiteral("Vertical (Z)")}},
  };
  for (const auto& [choice, labels] : wordings) {
    SetUiLanguageChoice(choice);
    ChooseUiLanguage(QLocale(QStringLiteral("ja_JP")));
    CInfoDlg panel;
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_EQ(panel.axisToggle(axis)->accessibleName(), labels[axis]);
    }
  }
  SetUiLanguageChoice(UiLanguageChoice::kAuto);
  ChooseUiLanguage(QLocale(QStringLiteral("ja_JP")));
}

TEST(InfoDlg, AxisTogglesFlipAndPostTheirState) {
  CInfoDlg panel;
  Receiver receiver;
  panel.setMessageTarget(&receiver);
  for (int axis = 0; axis < 3; ++axis) {
    QPushButton* button = panel.axisToggle(axis);
    EXPECT_EQ(button->objectName(), QString::number(38600 + axis));
    EXPECT_EQ(button->geometry(), QRect(26 + 120 * axis, 30, 12, 12));
  }
  panel.axisToggle(1)->click();
  panel.axisToggle(1)->click();
  panel.axisToggle(2)->click();
  QCoreApplication::sendPostedEvents(&receiver);
  const std::vector<std::pair<std::intptr_t, std::intptr_t>> expected{{1, 0}, {1, 1}, {2, 0}};
  EXPECT_EQ(receiver.toggles, expected);
  EXPECT_TRUE(panel.axisShown(1));
  EXPECT_FALSE(panel.axisShown(2));
  panel.SetPanelLayout(1);
  EXPECT_TRUE(panel.axisToggle(0)->isHidden()) << "the large layout has no toggles";
}

TEST(InfoDlg, DrawsValuesOnlyWhereTheyExist) {
  CInfoDlg panel;
  panel.resize(656, 67);
  const QImage empty = panel.grab().toImage();
  panel.SetAccel(0.25, -0.5, 1.0);
  panel.SetSpeed(88);
  panel.SetFixValid(1);
  panel.SetFrame(0);
  panel.SetFrameTime(33.3f);
  panel.SetStartTime(At(2023, 6, 12, 8, 30, 0));
  const QImage shown = panel.grab().toImage();
  int green = 0;
  for (int y = 0; y < 30; ++y) {
    for (int x = 26; x < 140; ++x) {
      const QColor c = shown.pixelColor(x, y);
      green += c.green() > 200 && c.red() < 80 ? 1 : 0;
    }
  }
  EXPECT_GT(green, 20) << "the X value in green";
  EXPECT_NE(shown.copy(420, 0, 236, 67), empty.copy(420, 0, 236, 67)) << "date and speed";
}

}  // namespace

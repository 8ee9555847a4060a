#include "views/info_values.h"

#include <QDateTime>
#include <cmath>
#include <cstdlib>

namespace {

// Dates at or after this year are the recorder's clock running 35 years
// ahead; they are shown 35 years earlier.
constexpr int kLateYear = 2050;
constexpr int kYearShift = 35;
constexpr double kNoAccel = -5.0;

}  // namespace

std::optional<QString> InfoDateTimeText(const InfoValues& v) {
  if (v.hasStart == 0 || v.frame < 0) return std::nullopt;
  const CalendarTime& s = v.startTime;
  const QDate date(s.year, s.month, s.day);
  const QTime time(s.hour, s.minute, s.second, s.millisecond);
  if (!date.isValid() || !time.isValid()) return std::nullopt;
  // Calendar arithmetic without time zones, as the recorder's clock counts.
  const QDateTime start(date, time, Qt::UTC);
  const auto offsetMs = static_cast<qint64>(std::floor(v.frame * static_cast<double>(v.frameTime)));
  const QDateTime shown = start.addMSecs(offsetMs).addSecs(v.timeOffset);
  if (!shown.isValid() || shown.date().year() == 0) return std::nullopt;
  int year = shown.date().year();
  if (year >= kLateYear) year -= kYearShift;
  const QTime t = shown.time();
  return QString::asprintf("%02d/%02d/%02d %02d:%02d:%02d", year, shown.date().month(),
                           shown.date().day(), t.hour(), t.minute(), t.second());
}

std::optional<QString> InfoSpeedText(const InfoValues& v) {
  if (v.fixValid == 0 || v.speed < 0) return std::nullopt;
  return QString::fromStdString(ShownSpeedText(v.speedUnit, v.speed)) + u' ';
}

std::optional<QString> InfoAccelText(double value) {
  if (!(value > kNoAccel)) return std::nullopt;
  // The recorder writes whole milli-G; the hundredths are cut from that
  // integer, so a recorded 0.29 does not come out as 0.28 in binary.
  const long long milli = std::llround(value * 1000.0);
  const long long hundredths = milli / 10;  // truncates toward zero
  const long long whole = std::llabs(hundredths);
  const char* sign = hundredths < 0 ? "-" : "";
  return QString::asprintf("%s%lld.%02lldG", sign, whole / 100, whole % 100);
}

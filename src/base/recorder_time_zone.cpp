#include "base/recorder_time_zone.h"

#include <stdlib.h>
#include <time.h>

#include <QTimeZone>

bool UseRecorderTimeZone(const QString& zone) {
  if (zone.isEmpty() || !QTimeZone::isTimeZoneIdAvailable(zone.toLatin1())) return false;
  setenv("TZ", zone.toLatin1().constData(), 1);
  tzset();
  return true;
}

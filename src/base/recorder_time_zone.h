#pragma once

#include <QString>

// Makes `zone` (an IANA zone name) the process's local zone, in which the
// recorder's clock is read wherever an absolute time is needed (the GPX
// export); the recorder's own times are shown as they are. False, with the
// system's zone kept, when `zone` is empty or not in the zone database.
bool UseRecorderTimeZone(const QString& zone);

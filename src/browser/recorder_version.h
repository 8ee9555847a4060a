#pragma once

#include <QString>
#include <filesystem>

#include "container/sensor_records.h"

// The recorder's firmware version as "%d.%d.%d": the header's six version
// characters read as three two-digit decimal numbers. Empty for a header
// that was not decoded.
QString RecorderVersionText(const TrackHeader& header);

// The version text of the recorder that wrote `recording`; empty when its
// track header cannot be read.
QString ReadRecorderVersion(const std::filesystem::path& recording);

#pragma once

#include <QString>
#include <optional>

#include "catalogue/info_text.h"

// The panel's text rules (catalogue/info_text.h) as the panel draws them.
std::optional<QString> InfoDateTimeText(const InfoValues& values);
std::optional<QString> InfoSpeedText(const InfoValues& values);
std::optional<QString> InfoAccelText(double value);

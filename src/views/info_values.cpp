#include "views/info_values.h"

namespace {

std::optional<QString> Text(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  return QString::fromStdString(*text);
}

}  // namespace

std::optional<QString> InfoDateTimeText(const InfoValues& values) {
  return Text(InfoDateTime(values));
}

std::optional<QString> InfoSpeedText(const InfoValues& values) { return Text(InfoSpeed(values)); }

std::optional<QString> InfoAccelText(double value) { return Text(InfoAccel(value)); }

#include "base/settings_file.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/ini_file.h"

namespace {

QString capturedWorkDir;

constexpr int kMaxVolume = 65535;

}  // namespace

const QString& workDir() { return capturedWorkDir; }

void CaptureWorkDir() { capturedWorkDir = QDir::currentPath(); }

QString SettingsFilePath() {
  if (capturedWorkDir.isEmpty()) return {};
  return QDir(capturedWorkDir).filePath(QStringLiteral("Default_Folder.ini"));
}

QString ReadIniString(const QString& section, const QString& key) {
  const QString path = SettingsFilePath();
  if (path.isEmpty()) return {};
  const auto value =
      ReadIniValue(QFile::encodeName(path).toStdString(), section.toStdString(), key.toStdString());
  return value ? QString::fromStdString(*value) : QString();
}

bool WriteIniString(const QString& section, const QString& key, const QString& value) {
  const QString path = SettingsFilePath();
  if (path.isEmpty()) return false;
  return WriteIniValue(QFile::encodeName(path).toStdString(), section.toStdString(),
                       key.toStdString(), value.toStdString());
}

bool CreateSettingsOnFirstRun() {
  const QString path = SettingsFilePath();
  if (path.isEmpty()) return false;
  if (QFileInfo::exists(path)) return true;
  const QString display = QStringLiteral("DISPLAY");
  return WriteIniString(display, QStringLiteral("INFOCHECK"), QStringLiteral("31")) &&
         WriteIniString(display, QStringLiteral("ASPECT"), QStringLiteral("on")) &&
         WriteIniString(display, QStringLiteral("VOLUME"), QString::number(kMaxVolume));
}

bool ReadKeepAspect() {
  return ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("ASPECT")) == u"on";
}

int ReadVolumeLevel() {
  const QString text = ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("VOLUME"));
  if (text.isEmpty()) return kMaxVolume;
  // Like the C library's atoi: leading blanks and sign, then digits up to
  // the first other character.
  const long long number = std::strtoll(text.toLatin1().constData(), nullptr, 10);
  return static_cast<int>(std::clamp<long long>(number, 0, kMaxVolume));
}

std::int64_t ReadTimeOffset() {
  constexpr qlonglong kCentury = 100LL * 366 * 24 * 3600;
  bool ok = false;
  const qlonglong seconds = ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("TIME_OFFSET"))
                                .trimmed()
                                .toLongLong(&ok);
  return ok ? std::clamp(seconds, -kCentury, kCentury) : 0;
}

bool WriteTimeOffset(std::int64_t seconds) {
  return WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("TIME_OFFSET"),
                        QString::number(seconds));
}

QString ReadTimeZone() {
  return ReadIniString(QStringLiteral("DISPLAY"), QStringLiteral("TIME_ZONE")).trimmed();
}

bool WriteTimeZone(const QString& zone) {
  return WriteIniString(QStringLiteral("DISPLAY"), QStringLiteral("TIME_ZONE"), zone);
}

QString ReadTileUrl() {
  return ReadIniString(QStringLiteral("MAP"), QStringLiteral("TILE_URL")).trimmed();
}

bool WriteTileUrl(const QString& source) {
  return WriteIniString(QStringLiteral("MAP"), QStringLiteral("TILE_URL"), source);
}

bool ReadHardwareDecode() {
  return ReadIniString(QStringLiteral("DECODE"), QStringLiteral("HW")) == u"on";
}

QString ReadUpdateServer() {
  return ReadIniString(QStringLiteral("UPDATE"), QStringLiteral("SERVER")).trimmed();
}

int ReadStepCacheMegabytes() {
  bool ok = false;
  const int megabytes =
      ReadIniString(QStringLiteral("PLAYER"), QStringLiteral("STEP_CACHE_MB")).trimmed().toInt(&ok);
  return ok ? std::clamp(megabytes, 16, 4096) : 300;
}

double ReadClipSeconds(const QString& key, double fallback) {
  bool ok = false;
  const double seconds = ReadIniString(QStringLiteral("CLIP"), key).trimmed().toDouble(&ok);
  return ok && std::isfinite(seconds) ? std::clamp(seconds, 0.0, 3600.0) : fallback;
}

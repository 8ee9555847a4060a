#pragma once

#include <QString>
#include <cstdint>

// The settings file "Default_Folder.ini" in the working folder `workDir`.
// Each value is read and written key by key, so a change is on disk at once.
//
// Keys: "DISPLAY" INFOCHECK, ASPECT ("on"/"off"), VOLUME (0..65535);
// "DECODE" HW ("on" switches hardware decoding on; edited by hand);
// "FOLDERPATH" CSV_FOLDER, CONNECT_FOLDER, SNAPSHOT_FOLDER;
// "SOURCE" SELECT ("SD", "FOLDER" or "FILE"), SD, FOLDER, FILE;
// "DISPLAY" TIME_OFFSET (seconds added to the recorder's clock);
// "UPDATE" SERVER (edited by hand); "PLAYER" STEP_CACHE_MB (edited by hand).

// The working folder, captured once at start-up (CaptureWorkDir); empty
// before.
const QString& workDir();

// Captures the process's current folder as `workDir`. Later changes of the
// current folder do not move the settings file.
void CaptureWorkDir();

// The settings file's path; empty while `workDir` is.
QString SettingsFilePath();

// Returns the value of `key` in `section`, or "" when the key, the file or
// `workDir` is missing.
QString ReadIniString(const QString& section, const QString& key);

// Stores `value` under `key` in `section`. False, leaving the file as it was,
// when it cannot be written (read-only folder, full disk, no `workDir`) or
// the texts cannot be stored (line breaks, "]" in the section, "=" in the
// key).
bool WriteIniString(const QString& section, const QString& key, const QString& value);

// On the first run (no settings file yet) writes "DISPLAY" INFOCHECK = "31",
// ASPECT = "on" and VOLUME = "65535", in that order. False when a write
// failed.
bool CreateSettingsOnFirstRun();

// "DISPLAY"/"ASPECT": true only for exactly "on".
bool ReadKeepAspect();

// "DISPLAY"/"VOLUME" as a volume 0..65535: 65535 when empty or absent; other
// text is read as a decimal number (0 when it is none) and kept in range.
int ReadVolumeLevel();

// "DECODE"/"HW": true only for exactly "on".
bool ReadHardwareDecode();

// "DISPLAY"/"TIME_OFFSET": the seconds to add to the recorder's clock, which
// drifts; 0 when absent or not a whole number, and kept within a century.
std::int64_t ReadTimeOffset();
bool WriteTimeOffset(std::int64_t seconds);

// "DISPLAY"/"TIME_ZONE": the IANA zone the recorder's clock is in (such as
// "Asia/Tokyo"), without blanks around it; empty when not set, which means
// the system's zone.
QString ReadTimeZone();
bool WriteTimeZone(const QString& zone);

// "MAP"/"TILE_URL": where the map's tiles come from (a {z}/{x}/{y} address,
// an MBTiles file or a tile folder), without blanks around it; empty for
// the standard tile server.
QString ReadTileUrl();
bool WriteTileUrl(const QString& source);

// "UPDATE"/"SERVER": the update check's host (and port), without blanks
// around it; empty (no check) when not set.
QString ReadUpdateServer();

// "PLAYER"/"STEP_CACHE_MB": megabytes of decoded pictures kept for stepping
// backwards; 300 when absent or not a whole number, kept within 16..4096.
int ReadStepCacheMegabytes();

// "CLIP"/`key` ("BEFORE_SECONDS", "AFTER_SECONDS"): how far a clip around a
// moment reaches, in seconds; `fallback` when absent or not a number, kept
// within 0..3600.
double ReadClipSeconds(const QString& key, double fallback);

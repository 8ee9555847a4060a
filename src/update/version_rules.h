#pragma once

#include <optional>
#include <string>
#include <string_view>

// The rules of the update check, free of any network or window: reading a
// version file, comparing the versions and writing the dialog's message.
// Texts are UTF-8.

// The version files and download pages on the update server.
inline constexpr std::string_view kFirmwareVersionPath =
    "/taiou/dr_updata/hx-tq80_81/hx-tq80_81_sw_version.txt";
inline constexpr std::string_view kViewerVersionPath =
    "/0_recorder/viewer/hx-tq80_81/hx-tq80_81_view_version.txt";
inline constexpr std::string_view kFirmwarePagePath = "/taiou/dr_updata/hx-tq80_81/hx-tq80_81.html";
inline constexpr std::string_view kViewerPagePath = "/0_recorder/viewer/hx-tq80_81/viewer.html";

// Only this many bytes of a version file are read.
constexpr std::size_t kVersionFileReadLimit = 1024;
// A version is cut to this many characters.
constexpr std::size_t kVersionTextLimit = 259;

// Returns the version in a version file's text (UTF-8): what follows the
// first "VER:" in its first 1024 bytes, without trailing line ends and
// blanks, cut to 259 characters; nothing without "VER:" or with nothing
// after it.
std::optional<std::string> VersionFromFileText(std::string_view text);

// Returns a version up to, not including, its third dot.
std::string ShortenFirmwareVersion(std::string_view version);

// What the two version files tell against the recorder and this viewer.
struct UpdateFindings {
  bool firmwareUpdate = false;
  bool viewerUpdate = false;
  std::string currentFirmware;  // for display, with ".0" appended
  std::string newFirmware;      // for display, with ".0" appended
  std::string currentViewer;
  std::string newViewer;
};

// Compares the fetched firmware and viewer versions with the recorder's
// firmware text (empty when no recording told it) and the viewer's own.
UpdateFindings CompareVersions(std::string_view recorderFirmware, std::string_view fetchedFirmware,
                               std::string_view fetchedViewer, std::string_view viewerVersion);

// The texts of the message, from the user-interface text table.
struct UpdateMessageTexts {
  std::string intro;          // 107
  std::string current;        // 109
  std::string firmwareLabel;  // 110
  std::string update;         // 111
  std::string viewerLabel;    // 112
};

// Returns the dialog's link text for the findings (empty when there is no
// update): plain text with "\r\n" line ends and <a href> links to the
// download pages on `server` (host and port). The versions and the server
// are escaped, so they cannot add markup of their own.
std::string UpdateMessage(const UpdateFindings& findings, const UpdateMessageTexts& texts,
                          std::string_view server);

// Returns `text` with &, <, > and " written as entities.
std::string EscapeMarkup(std::string_view text);

// Tells whether a link from the dialog may be opened: http and https only.
bool IsOpenableLink(std::string_view url);

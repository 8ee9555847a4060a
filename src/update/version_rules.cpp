#include "update/version_rules.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::string_view kVersionMarker = "VER:";

bool IsTrailingBlank(char c) { return c == '\r' || c == '\n' || c == ' ' || c == '\t'; }

// Returns the length of the first `limit` UTF-8 characters of `text`.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t limit) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    if (!continuation && characters++ == limit) return i;
  }
  return text.size();
}

std::string OneUpdate(const UpdateMessageTexts& texts, std::string_view label,
                      std::string_view current, std::string_view next, const std::string& page) {
  std::string text;
  text.append(label).append(":\r\n").append(texts.current).append(EscapeMarkup(current));
  text.append("   →   ").append(texts.update).append(EscapeMarkup(next));
  text.append("\r\n\r\nURL : <a href=\"").append(page).append("\">").append(page).append("</a>");
  return text;
}

}  // namespace

std::optional<std::string> VersionFromFileText(std::string_view text) {
  text = text.substr(0, kVersionFileReadLimit);
  const std::size_t marker = text.find(kVersionMarker);
  if (marker == std::string_view::npos) return std::nullopt;
  std::string_view version = text.substr(marker + kVersionMarker.size());
  version = version.substr(0, version.find('\0'));
  while (!version.empty() && IsTrailingBlank(version.back())) version.remove_suffix(1);
  version = version.substr(0, Utf8PrefixLength(version, kVersionTextLimit));
  if (version.empty()) return std::nullopt;
  return std::string(version);
}

std::string ShortenFirmwareVersion(std::string_view version) {
  std::size_t dots = 0;
  for (std::size_t i = 0; i < version.size(); ++i) {
    if (version[i] == '.' && ++dots == 3) return std::string(version.substr(0, i));
  }
  return std::string(version);
}

UpdateFindings CompareVersions(std::string_view recorderFirmware, std::string_view fetchedFirmware,
                               std::string_view fetchedViewer, std::string_view viewerVersion) {
  UpdateFindings findings;
  findings.newFirmware = ShortenFirmwareVersion(fetchedFirmware);
  if (!recorderFirmware.empty()) {
    findings.currentFirmware = ShortenFirmwareVersion(recorderFirmware);
    if (findings.currentFirmware != findings.newFirmware) {
      findings.firmwareUpdate = true;
      findings.currentFirmware += ".0";
      findings.newFirmware += ".0";
    }
  }
  findings.currentViewer = viewerVersion;
  findings.newViewer = fetchedViewer;
  findings.viewerUpdate = fetchedViewer != viewerVersion;
  return findings;
}

std::string UpdateMessage(const UpdateFindings& findings, const UpdateMessageTexts& texts,
                          std::string_view server) {
  if (!findings.firmwareUpdate && !findings.viewerUpdate) return {};
  const std::string host = EscapeMarkup(server);
  const std::string firmwarePage = "http://" + host + std::string(kFirmwarePagePath);
  const std::string viewerPage = "http://" + host + std::string(kViewerPagePath);
  std::string text = texts.intro + "\r\n\r\n";
  if (findings.firmwareUpdate) {
    text += OneUpdate(texts, texts.firmwareLabel, findings.currentFirmware, findings.newFirmware,
                      firmwarePage);
  }
  if (findings.firmwareUpdate && findings.viewerUpdate) text += "\r\n\r\n\r\n";
  if (findings.viewerUpdate) {
    text +=
        OneUpdate(texts, texts.viewerLabel, findings.currentViewer, findings.newViewer, viewerPage);
  }
  if (findings.firmwareUpdate && findings.viewerUpdate) text += "\r\n";
  return text;
}

std::string EscapeMarkup(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

bool IsOpenableLink(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos) return false;
  std::string scheme(url.substr(0, colon));
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return (scheme == "http" || scheme == "https") && url.substr(colon).starts_with("://");
}

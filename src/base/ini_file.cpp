#include "base/ini_file.h"

#include <algorithm>
#include <vector>

#include "base/atomic_file.h"

namespace {

constexpr std::string_view kBlanks = " \t\v\f";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(kBlanks);
  return s.substr(first, last - first + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    };
    return lower(x) == lower(y);
  });
}

// One line of the text: its content [begin, end) and where the next line
// starts (after the line break, which may be missing on the last line).
struct Line {
  size_t begin;
  size_t end;
  size_t next;
};

// Lines end with CR LF, LF or a bare CR.
std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t pos = text.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
  while (pos < text.size()) {
    const size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.push_back({pos, text.size(), text.size()});
      break;
    }
    const bool crLf = text.substr(end, 2) == "\r\n";
    lines.push_back({pos, end, end + (crLf ? 2 : 1)});
    pos = lines.back().next;
  }
  return lines;
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view content) {
  const std::string_view trimmed = Trim(content);
  if (!trimmed.starts_with('[')) return std::nullopt;
  const size_t close = trimmed.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(trimmed.substr(1, close - 1));
}

// A "key=value" line, split at its first "=". `keyEnd` is the offset in the
// line just after the key's last character.
struct KeyLine {
  std::string_view key;
  std::string_view value;
  size_t keyEnd;
};

std::optional<KeyLine> ParseKeyLine(std::string_view content) {
  const size_t equals = content.find('=');
  if (equals == std::string_view::npos) return std::nullopt;
  const std::string_view before = content.substr(0, equals);
  const size_t lastKeyChar = before.find_last_not_of(kBlanks);
  const size_t keyEnd = lastKeyChar == std::string_view::npos ? 0 : lastKeyChar + 1;
  return KeyLine{Trim(before), Trim(content.substr(equals + 1)), keyEnd};
}

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Where a section and a key stand in the text, as line numbers.
struct Location {
  std::optional<size_t> sectionLine;
  std::optional<size_t> keyLine;
  size_t lastFilledLine = 0;  // the last non-blank line of the section
};

Location Locate(std::string_view text, const std::vector<Line>& lines, std::string_view section,
                std::string_view key) {
  Location where;
  const std::string_view wantedSection = Trim(section);
  const std::string_view wantedKey = Trim(key);
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view content = text.substr(lines[i].begin, lines[i].end - lines[i].begin);
    if (const auto name = SectionName(content)) {
      if (where.sectionLine) break;  // the end of the first matching section
      if (EqualsIgnoringCase(*name, wantedSection)) {
        where.sectionLine = i;
        where.lastFilledLine = i;
      }
      continue;
    }
    if (!where.sectionLine) continue;
    if (!Trim(content).empty()) where.lastFilledLine = i;
    if (where.keyLine) continue;
    const auto entry = ParseKeyLine(content);
    if (entry && EqualsIgnoringCase(entry->key, wantedKey)) where.keyLine = i;
  }
  return where;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

}  // namespace

std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
  const std::vector<Line> lines = SplitLines(text);
  const Location where = Locate(text, lines, section, key);
  if (!where.keyLine) return std::nullopt;
  const Line& line = lines[*where.keyLine];
  const auto entry = ParseKeyLine(text.substr(line.begin, line.end - line.begin));
  return std::string(Unquote(entry->value));
}

bool IsValidIniEntry(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view trimmedKey = Trim(key);
  return !Trim(section).empty() && !trimmedKey.empty() && !HasLineBreakOrNul(section) &&
         !HasLineBreakOrNul(key) && !HasLineBreakOrNul(value) &&
         section.find(']') == std::string_view::npos && key.find('=') == std::string_view::npos &&
         !trimmedKey.starts_with('[');
}

std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value) {
  const std::vector<Line> lines = SplitLines(text);
  const Location where = Locate(text, lines, section, key);
  // New lines follow the file's own line ends: CR LF unless its first line
  // ends with a bare LF or a bare CR.
  std::string_view eol = "\r\n";
  if (!lines.empty() && lines.front().next > lines.front().end) {
    eol = text.substr(lines.front().end, lines.front().next - lines.front().end);
  }
  const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
  std::string out;
  out.reserve(text.size() + entry.size() + section.size() + 8);

  if (where.keyLine) {
    const Line& line = lines[*where.keyLine];
    const auto old = ParseKeyLine(text.substr(line.begin, line.end - line.begin));
    out.append(text.substr(0, line.begin + old->keyEnd));
    out.append("=").append(value);
    out.append(text.substr(line.end));
    return out;
  }
  if (where.sectionLine) {
    const Line& after = lines[where.lastFilledLine];
    out.append(text.substr(0, after.next));
    if (after.next == after.end) out.append(eol);  // the last line had no line break
    out.append(entry).append(eol);
    out.append(text.substr(after.next));
    return out;
  }
  out.append(text);
  if (!text.empty() && !text.ends_with('\n') && !text.ends_with('\r')) out.append(eol);
  out.append("[").append(Trim(section)).append("]").append(eol);
  out.append(entry).append(eol);
  return out;
}

std::optional<std::string> ReadIniValue(const std::filesystem::path& file, std::string_view section,
                                        std::string_view key) {
  const auto text = ReadWholeFile(file);
  if (!text) return std::nullopt;
  return FindIniValue(*text, section, key);
}

bool WriteIniValue(const std::filesystem::path& file, std::string_view section,
                   std::string_view key, std::string_view value) {
  if (!IsValidIniEntry(section, key, value)) return false;
  return RewriteFileAtomically(file, [&](const std::optional<std::string>& old, std::string& out) {
    out = SetIniValue(old.value_or(std::string()), section, key, value);
    return true;
  });
}

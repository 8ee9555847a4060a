#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The settings file format: a Windows-style INI file of "[SECTION]" lines and
// "KEY=value" lines, UTF-8, with CR LF, LF or bare CR line ends.
//
// Reading: sections and keys are found ignoring ASCII case; blanks around
// section names, keys and values are ignored; one pair of surrounding quotes
// ("..." or '...') is removed from a value; a line without "=" is not a key;
// "KEY=" is a key with an empty value; the first of duplicate sections and of
// duplicate keys wins.
//
// Writing: a changed value is replaced on the line where it stands, a new key
// is added after the last line of its section, a new section at the end of
// the file; every other line is kept byte for byte.

// Returns the value of `key` in `section` of the INI text, or nothing when the
// key is absent.
std::optional<std::string> FindIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// Returns the INI text with `key` in `section` set to `value`. Section, key
// and value must be valid (IsValidIniEntry).
std::string SetIniValue(std::string_view text, std::string_view section, std::string_view key,
                        std::string_view value);

// Whether the three texts can be stored: section and key not blank, no line
// breaks anywhere, no "]" in the section, no "=" in the key, and a key that
// cannot be taken for a section line.
bool IsValidIniEntry(std::string_view section, std::string_view key, std::string_view value);

// Reads `key` from the INI file at `file`. Nothing when the file cannot be read
// or holds no such key.
std::optional<std::string> ReadIniValue(const std::filesystem::path& file, std::string_view section,
                                        std::string_view key);

// Sets `key` in the INI file at `file`, creating the file when it does not
// exist. The file is replaced atomically; false (and the old file untouched)
// when the entry is invalid or the file cannot be read or written.
bool WriteIniValue(const std::filesystem::path& file, std::string_view section,
                   std::string_view key, std::string_view value);

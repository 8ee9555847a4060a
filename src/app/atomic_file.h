#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Computes a file's new content from its old one (nothing when the file does
// not exist yet); returns false to leave the file as it is.
using FileEdit = std::function<bool(const std::optional<std::string>& old, std::string& out)>;

// Reads `file`, lets `edit` compute the new content and puts it in place: the
// content goes to a temporary file in the same folder, which is flushed to
// disk and renamed over `file`, and the folder is flushed too. An abrupt end
// at any moment leaves either the old or the new file. Writers in this and in
// other processes are serialised on the folder. Returns false, leaving the old
// file intact, when the file cannot be read, `edit` declines, or the new file
// cannot be written (read-only folder, full disk).
bool RewriteFileAtomically(const std::filesystem::path& file, const FileEdit& edit);

// Reads a whole file. Nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

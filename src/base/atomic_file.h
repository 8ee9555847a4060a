#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Computes a file's new content from its old one (nothing when the file does
// not exist yet); returns false to leave the file as it is.
using FileEdit = std::function<bool(const std::optional<std::string>& old, std::string& out)>;

// The largest file read or rewritten here: settings files are small, and a
// larger one is not taken for one.
constexpr std::size_t kMaxRewrittenFileBytes = 1 << 20;

// Reads `file`, lets `edit` compute the new content and puts it in place: the
// content goes to a temporary file in the same folder, which is flushed to
// disk and renamed over `file`, and the folder is flushed too. An abrupt end
// at any moment leaves either the old or the new file. Where `file` is a
// symbolic link, the file it leads to is rewritten and the link stays. When
// the content does not change nothing is written, so hard links stay shared.
// Writers in this and in other processes are serialised on the folder.
// Returns false, leaving the old file intact, when the file cannot be read
// (not a regular file, larger than kMaxRewrittenFileBytes), `edit` declines,
// or the new file cannot be written (read-only folder, full disk).
bool RewriteFileAtomically(const std::filesystem::path& file, const FileEdit& edit);

// Reads a whole regular file of at most kMaxRewrittenFileBytes, without
// waiting on a FIFO or reading a device. Nothing when it cannot be opened or
// read, or is anything else.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

// The recorder-movie test: the file is a regular file (a symbolic link is
// followed) that opens for reading without blocking, is not empty, the 18
// bytes that end it begin with "CSMEND" and bytes 4..7 are "ftyp". It takes
// the player's file lock "hFileMutex", since the player may have the same
// file open.
bool IsRecording(const std::filesystem::path& path);

// The same test; the file's size when it passes.
std::optional<std::uint64_t> RecordingSize(const std::filesystem::path& path);

// The same test on a file open for reading (without the lock).
std::optional<std::uint64_t> RecordingSizeOf(int fd);

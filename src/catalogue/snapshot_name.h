#pragma once

#include <cstdint>
#include <string>

// The file name of a snapshot: "<folder>-<recording>-<reserved>_<serial>_<frame>.jpg",
// with the chosen folder's last path component, the recording's file name
// up to its first ".", its catalogue entry's reserved and serial fields as
// at least three digits and the frame as at least six.
std::string SnapshotFileName(const std::string& folderName, const std::string& recordingName,
                             int reserved, int serial, std::int64_t frame);

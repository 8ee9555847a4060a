#include "catalogue/snapshot_name.h"

#include <cstdio>

std::string SnapshotFileName(const std::string& folderName, const std::string& recordingName,
                             int reserved, int serial, std::int64_t frame) {
  const std::string stem = recordingName.substr(0, recordingName.find('.'));
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "-%03d_%03d_%06lld.jpg", reserved, serial,
                static_cast<long long>(frame));
  return folderName + "-" + stem + numbers;
}

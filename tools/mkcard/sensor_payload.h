#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mkcard/card_plan.h"

namespace mkcard {

inline constexpr int kRecordSize = 124;

// Returns the 124 bytes of one record.
std::string RecordBytes(const SensorSample& sample);

// Returns the content of the udat atom: "CSMDAT", the header block, the
// big-endian record count, the records and, when `closed`, "CSMEND".
// Fails (empty result) above 65,535 records.
std::vector<std::uint8_t> SensorPayload(const HeaderFields& header,
                                        const std::vector<SensorSample>& samples, bool closed);

}  // namespace mkcard

#pragma once

#include <filesystem>
#include <string>

#include "mkcard/card_plan.h"

namespace mkcard {

// Writes the card of `options` under outdir/DCIM. Every file is written to a
// temporary name first and renamed into place when complete. Returns an empty
// string on success, else a one-line description of the failure.
std::string WriteCard(const CardOptions& options, const std::filesystem::path& outdir);

}  // namespace mkcard

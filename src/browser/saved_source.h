#pragma once

#include "browser/source_rules.h"

// Stores `source` as the saved source in the settings file's "SOURCE"
// section: "SELECT" names the kind ("SD", "FOLDER" or "FILE") and the key of
// that name holds the path. False, storing nothing, for no source; false
// when a write failed.
bool SaveSource(const BrowserSource& source);

#pragma once

#include <filesystem>
#include <vector>

#include "catalogue/catalogue.h"

// The recordings of a source as the CSV list and the command-line tool
// take them: a memory card (its DCIM folder when it has one) or a folder
// collected with its subfolders, or a single recorder file alone.
std::vector<FileEntry> CollectSource(Catalogue& catalogue, const std::filesystem::path& source);

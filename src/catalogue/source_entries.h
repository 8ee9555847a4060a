#pragma once

#include <atomic>
#include <filesystem>
#include <vector>

#include "catalogue/catalogue.h"

// The recordings of a source as the CSV list and the command-line tool
// take them: a memory card (its DCIM folder when it has one) or a folder
// collected with its subfolders, or a single recorder file alone. Clearing
// `running` stops the walk early.
std::vector<FileEntry> CollectSource(Catalogue& catalogue, const std::filesystem::path& source,
                                     const std::atomic<bool>* running = nullptr);

// The files of the same source that are named like movies (".MOV" in any
// letter case) but were not taken as recordings: cut short, not a recorder
// file, unreadable. The folders are walked as CollectSource walks them. In
// path order.
std::vector<std::filesystem::path> RefusedMovies(const std::filesystem::path& source,
                                                 const std::vector<FileEntry>& entries,
                                                 const std::atomic<bool>* running = nullptr);

#pragma once

#include <atomic>
#include <filesystem>
#include <vector>

#include "catalogue/file_entry.h"
#include "catalogue/folder_listing.h"
#include "catalogue/folder_tree.h"

// Turns a source folder into the ordered list of its recordings. One
// catalogue lives as long as the program: its serial numbers run on across
// scans, while each scan (each call below, from the source folder down)
// numbers its entries from 0.
class Catalogue {
 public:
  static constexpr std::size_t kMaxEntries = 1000;  // recordings listed per folder
  static constexpr int kMaxDepth = 3;               // folder levels below the source

  // Lists from now on, beside the recordings, the movies that an impact cut
  // short inside their media, flagged `repairable` (Catalogue::CollectAll
  // and ScanFolderForTree; they are not counted as recordings). Off at
  // first.
  void ListCutShort(bool list) { listCutShort_ = list; }

  // Appends an entry for a recording; false when the name is not a movie
  // name or the file cannot be opened.
  bool AddRecording(const std::filesystem::path& path, std::vector<FileEntry>& entries);

  // Appends a folder line (the numeric fields -1).
  static void AddFolderLine(const std::filesystem::path& path, std::vector<FileEntry>& entries);

  // Lists the recordings directly in `folder` (at most kMaxEntries, when
  // `fill` is set) and adds a tree item under `parent` for each subfolder
  // that holds recordings directly, with its trigger mask. Without
  // `recurse` every subfolder gets an item, uncounted. `counter` receives
  // the number of recordings found directly in the folder. Ends with Order.
  bool ScanFolderForTree(const std::filesystem::path& folder, FolderTree& tree,
                         FolderTree::Item parent, std::vector<FileEntry>& entries,
                         std::vector<FileEntry>& folderLines, bool recurse, bool fill,
                         int& counter);

  // Lists the movies directly in `folder` whose names carry a trigger mark,
  // in name order.
  void ScanFolderTriggered(const std::filesystem::path& folder, std::vector<FileEntry>& entries);

  // Collects the recordings of `folder` and of its subfolders down to
  // kMaxDepth (subfolders first, each ordered when it holds files itself),
  // entering each folder once however many names lead to it. `counter`
  // counts every file directly in the folder. Clearing `running` stops the
  // walk at the next file or folder, with what was collected so far.
  void CollectAll(const std::filesystem::path& folder, std::vector<FileEntry>& entries,
                  int& counter, const std::atomic<bool>* running = nullptr);

 private:
  struct Walk {
    VisitedFolders visited;
    const std::atomic<bool>* running = nullptr;
  };
  void CollectFolder(const std::filesystem::path& folder, std::vector<FileEntry>& entries,
                     int& counter, int depth, Walk& walk);

  // Appends an entry for a recording whose size is known.
  void AddEntry(const std::filesystem::path& path, std::uint64_t size,
                std::vector<FileEntry>& entries);

  // Appends a repairable entry when listing them and the movie at `path` was
  // cut short.
  void AddCutShort(const std::filesystem::path& path, std::vector<FileEntry>& entries);

  int scanCounter_ = 0;
  int serialCounter_ = 0;
  bool listCutShort_ = false;
};

// Returns the OR of the trigger bits of the recordings directly in `folder`.
int TriggerMask(const std::filesystem::path& folder);

// Orders recordings: names that begin with three digits and '_' first, then
// the rest, each group in UTF-16 code-unit order of the names.
void Order(std::vector<FileEntry>& entries);

// Drops every entry whose name equals (letter case counts) the name of an
// entry in `removed`; the rest keep their order.
void RemoveByName(std::vector<FileEntry>& entries, const std::vector<FileEntry>& removed);

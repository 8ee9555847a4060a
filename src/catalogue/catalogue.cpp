#include "catalogue/catalogue.h"

#include <algorithm>
#include <unordered_set>

#include "catalogue/cut_short_file.h"
#include "catalogue/folder_listing.h"
#include "catalogue/movie_names.h"
#include "catalogue/name_order.h"
#include "catalogue/recording_check.h"

namespace {

bool IsListedRecording(const ListedName& listed) {
  return !listed.isFolder && IsMovieName(listed.name) && IsRecording(listed.path);
}

struct FolderSummary {
  int recordings = 0;
  int triggerMask = 0;
};

// Counts the recordings directly in `folder` and ORs their trigger bits.
FolderSummary SummarizeFolder(const std::filesystem::path& folder) {
  FolderSummary summary;
  for (const ListedName& listed : ListFolder(folder)) {
    if (!IsListedRecording(listed)) continue;
    ++summary.recordings;
    summary.triggerMask |= TriggerBit(TriggerLetter(listed.name));
  }
  return summary;
}

}  // namespace

bool Catalogue::AddRecording(const std::filesystem::path& path, std::vector<FileEntry>& entries) {
  if (!IsMovieName(path.string())) return false;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return false;
  AddEntry(path, size, entries);
  return true;
}

void Catalogue::AddEntry(const std::filesystem::path& path, std::uint64_t size,
                         std::vector<FileEntry>& entries) {
  FileEntry entry;
  entry.path = path;
  entry.name = path.filename().string();
  entry.scanIndex = scanCounter_++;
  entry.serial = serialCounter_++;
  entry.triggerInitial = TriggerLetter(entry.name);
  entry.fileSize = size;
  entries.push_back(std::move(entry));
}

void Catalogue::AddCutShort(const std::filesystem::path& path, std::vector<FileEntry>& entries) {
  std::string why;
  const std::optional<CutShortMedia> media =
      listCutShort_ ? FindCutShortMedia(path, why) : std::nullopt;
  if (!media) return;
  AddEntry(path, media->offset + media->length, entries);
  entries.back().repairable = true;
}

void Catalogue::AddFolderLine(const std::filesystem::path& path, std::vector<FileEntry>& entries) {
  FileEntry entry;
  entry.path = path;
  entry.name = path.filename().string();
  entry.scanIndex = -1;
  entry.serial = -1;
  entry.reserved = -1;
  entry.fileSize = ~std::uint64_t{0};
  entries.push_back(std::move(entry));
}

bool Catalogue::ScanFolderForTree(const std::filesystem::path& folder, FolderTree& tree,
                                  FolderTree::Item parent, std::vector<FileEntry>& entries,
                                  std::vector<FileEntry>& folderLines, bool recurse, bool fill,
                                  int& counter) {
  scanCounter_ = 0;
  for (const ListedName& listed : ListFolder(folder)) {
    if (!listed.isFolder) {
      if (!IsMovieName(listed.name)) continue;
      const std::optional<std::uint64_t> size = RecordingSize(listed.path);
      if (!size) {
        if (fill && entries.size() < kMaxEntries) AddCutShort(listed.path, entries);
        continue;
      }
      ++counter;
      if (fill && entries.size() < kMaxEntries) AddEntry(listed.path, *size, entries);
      continue;
    }
    if (!recurse) {
      if (tree.ItemCount() < FolderTree::kMaxItems) tree.InsertItem(parent, listed.path);
      continue;
    }
    // Only the recordings directly in a subfolder count: deeper levels are
    // not added up, so a folder that holds only folders gets no item.
    if (!fill) continue;
    const FolderSummary summary = SummarizeFolder(listed.path);
    if (summary.recordings == 0 || tree.ItemCount() >= FolderTree::kMaxItems) continue;
    FolderTree::Item item = tree.InsertItem(parent, listed.path);
    AddFolderLine(listed.path, folderLines);
    tree.SetItemData(item, summary.triggerMask);
  }
  Order(entries);
  return true;
}

void Catalogue::ScanFolderTriggered(const std::filesystem::path& folder,
                                    std::vector<FileEntry>& entries) {
  scanCounter_ = 0;
  for (const ListedName& listed : ListFolder(folder)) {
    if (!listed.isFolder && IsMovieName(listed.name) && TriggerLetter(listed.name) != 0) {
      AddRecording(listed.path, entries);
    }
  }
}

void Catalogue::CollectAll(const std::filesystem::path& folder, std::vector<FileEntry>& entries,
                           int& counter, const std::atomic<bool>* running) {
  scanCounter_ = 0;
  Walk walk{.running = running};
  if (walk.visited.Enter(folder)) CollectFolder(folder, entries, counter, 0, walk);
}

void Catalogue::CollectFolder(const std::filesystem::path& folder, std::vector<FileEntry>& entries,
                              int& counter, int depth, Walk& walk) {
  for (const ListedName& listed : ListFolderFoldersFirst(folder)) {
    if (walk.running != nullptr && !walk.running->load()) return;
    if (listed.isFolder) {
      if (depth >= kMaxDepth || !walk.visited.Enter(listed.path)) continue;
      std::vector<FileEntry> sub;
      int subCounter = 0;
      CollectFolder(listed.path, sub, subCounter, depth + 1, walk);
      if (subCounter > 0) Order(sub);
      entries.insert(entries.end(), sub.begin(), sub.end());
      continue;
    }
    ++counter;
    if (!IsMovieName(listed.name)) continue;
    if (const std::optional<std::uint64_t> size = RecordingSize(listed.path)) {
      AddEntry(listed.path, *size, entries);
    } else {
      AddCutShort(listed.path, entries);
    }
  }
}

int TriggerMask(const std::filesystem::path& folder) { return SummarizeFolder(folder).triggerMask; }

void Order(std::vector<FileEntry>& entries) {
  const auto numberedFirst = std::stable_partition(
      entries.begin(), entries.end(), [](const FileEntry& e) { return HasNumberPrefix(e.name); });
  const auto byName = [](const FileEntry& a, const FileEntry& b) {
    return Utf16Less(a.name, b.name);
  };
  std::sort(entries.begin(), numberedFirst, byName);
  std::sort(numberedFirst, entries.end(), byName);
}

void RemoveByName(std::vector<FileEntry>& entries, const std::vector<FileEntry>& removed) {
  std::unordered_set<std::string> names;
  for (const FileEntry& entry : removed) names.insert(entry.name);
  std::erase_if(entries, [&](const FileEntry& e) { return names.contains(e.name); });
}

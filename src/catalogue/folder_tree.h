#pragma once

#include <filesystem>

// The folder tree that a folder scan fills; the recording browser's tree
// view implements it.
class FolderTree {
 public:
  using Item = void*;

  virtual ~FolderTree() = default;
  virtual int ItemCount() const = 0;
  // Inserts an item for `folder` under `parent` and returns it.
  virtual Item InsertItem(Item parent, const std::filesystem::path& folder) = 0;
  // Gives an item the trigger mask of its folder as its data.
  virtual void SetItemData(Item item, int triggerMask) = 0;

  static constexpr int kMaxItems = 1500;
};

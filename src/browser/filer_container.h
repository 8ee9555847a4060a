#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "browser/entry_filter.h"
#include "browser/source_rules.h"
#include "catalogue/catalogue.h"
#include "catalogue/movie_resource.h"

class CFileListCtrl;
class CFolderTreeCtrl;
class CSkinButton;
class QTreeWidgetItem;
class MessageSink;

// The recording browser's panel: the folder tree of the open source, the
// list of the chosen folder's recordings with its five type filters and
// their count, and the read-only path of the source. It opens the source
// saved in the settings file, keeps the catalogue's vectors and watches the
// source: when the source vanishes the watcher posts 0x84B1 to the owner
// given to StartWatcher.
class CFilerContainer : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kPathFieldId = 38500;
  static constexpr int kFirstFilterId = 38700;
  static constexpr int kFilterSize = 12;
  static constexpr int kFilterStep = 60;
  // UI text slot of the count label's format "%d個".
  static constexpr int kCountText = 37;

  explicit CFilerContainer(QWidget* parent = nullptr);
  ~CFilerContainer() override;

  // Where the candidate drives are read from (the mount table and the sysfs
  // tree); tests give fake ones.
  void SetDriveTables(const QString& mountInfoPath, const QString& sysPath);
  // The test a single file must pass to be listed (the engine's recorder
  // file test); by default the catalogue's.
  void SetFileAcceptor(std::function<bool(const QString&)> accept);
  // Starts the source watcher; its message goes to `owner`.
  void StartWatcher(QObject* owner);
  void StopWatcher();

  // Opens the source saved in the settings file: the last candidate drive
  // that exists, else "SOURCE"/"FOLDER", else "SOURCE"/"FILE". False, with
  // empty lists, when none exists.
  bool RestoreSource();
  // Opens a memory card (its drive or mount point), a folder or a file.
  // False, with empty lists, when the path does not exist or the file is
  // not a recording.
  bool ApplySource(SourceKind kind, const QString& path);
  // Empties the lists and opens the current source again (empty when it has
  // gone).
  void Relist();
  // Empties the tree, the lists and the recorder version.
  void ClearLists();

  // Lists the recordings directly in `folder`, in catalogue order.
  void ShowFolder(const QString& folder);
  // Chooses the folder item after the chosen one; false when there is none.
  bool SelectNextFolder();
  // Chooses `item` of the folder tree and lists its recordings without
  // reporting a change of folder.
  void ChooseFolderQuietly(QTreeWidgetItem* item);
  // Whether a source is being applied: the tree's first choice then is the
  // program's, not a change of folder.
  bool applyingSource() const { return applying_; }

  // Type filter `index` (0..4 for A, G, M, P, S): latches or releases its
  // button, rebuilds the rows and selects the first.
  void SetFilter(int index, bool on);
  bool filter(int index) const { return shown_.at(index); }
  // Sorts the folder's recordings by column key `key` (0..7), rebuilds the
  // rows and selects the first; false for a key that cannot be sorted by.
  bool SortRows(int key);

  SourceKind sourceKind() const { return kind_; }
  // The folder the tree is rooted at, or the file of a file source.
  const QString& sourcePath() const { return path_; }
  // The firmware version of the recorder that wrote the card, "%d.%d.%d".
  const QString& recorderVersion() const { return recorderVersion_; }
  // The mount point that held the source when it was last applied while it
  // existed; it stays known after the source has vanished.
  const QString& sourceMountPoint() const { return sourceMountPoint_; }
  // The recordings of the chosen folder, before the type filter.
  const std::vector<FileEntry>& folderEntries() const { return entries_; }
  const std::vector<FileEntry>& folderLines() const { return folderLines_; }
  const CMovieResource& watcher() const { return watcher_; }

  CFolderTreeCtrl* folderTree() const { return tree_; }
  CFileListCtrl* fileList() const { return list_; }
  QLineEdit* pathField() const { return pathField_; }
  CSkinButton* filterButton(int index) const { return buttons_.at(index); }
  QLabel* countLabel() const { return countLabel_; }

  // The panel's own layout: 0 the tree beside the list (the wide panel
  // beside the small video), 1 the narrow column beside the medium video,
  // with the tree above the list and the count under the filters.
  void SetLayoutMode(int mode);
  int layoutMode() const { return layoutMode_; }

  // The count label's text for `rows` rows.
  static QString CountText(int rows);

 signals:
  // The tree's choice moved to `folder`, whose recordings are now listed.
  void folderChanged(const QString& folder);
  // The list's rows were rebuilt: a row number taken before means nothing
  // now. Sent before any row is selected.
  void rowsRebuilt();

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  bool ApplySourceNow(SourceKind kind, const QString& path);
  bool ApplyFolder(const QString& root);
  bool ApplyFile(const QString& file);
  void ReadRecorderVersion();
  void RebuildRows();
  void OnFolderSelected(const QString& folder);

  Catalogue catalogue_;
  SourceKind kind_ = SourceKind::kNone;
  QString origin_;  // the drive, folder or file as applied
  QString path_;
  QString recorderVersion_;
  QString sourceMountPoint_;
  bool applying_ = false;
  std::vector<FileEntry> entries_;
  std::vector<FileEntry> folderLines_;
  TypeSwitches shown_{true, true, true, true, true};
  QString mountInfoPath_;
  QString sysPath_;
  std::function<bool(const QString&)> accept_;
  std::unique_ptr<MessageSink> sink_;
  CMovieResource watcher_;

  CFolderTreeCtrl* tree_ = nullptr;
  CFileListCtrl* list_ = nullptr;
  QLineEdit* pathField_ = nullptr;
  std::array<CSkinButton*, kTypeLetters.size()> buttons_{};
  std::array<QLabel*, kTypeLetters.size()> letters_{};
  QLabel* countLabel_ = nullptr;
  int layoutMode_ = 0;
};

#pragma once

#include <QDialog>
#include <QLabel>
#include <QTreeWidget>
#include <vector>

#include "catalogue/file_entry.h"

class QPushButton;

// The check-list of recordings from which the user ticks several for a bulk
// command: one row per recording (at most kMaxRows) with its name and size,
// and the total size of the ticked ones. Ticking a box inside a selected
// range of rows (shift or control selection) ticks the whole range alike.
class CFileSelectDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kMaxRows = 1500;

  // `entries` are listed in their order; beyond kMaxRows the dialog says so
  // once (an "ERROR" box) and lists the first kMaxRows.
  explicit CFileSelectDlg(const std::vector<FileEntry>& entries, QWidget* parent = nullptr);

  // The listed recordings and the ticked ones, in list order.
  const std::vector<FileEntry>& entries() const { return entries_; }
  std::vector<FileEntry> Ticked() const;
  // The total size of the ticked recordings in MiB.
  quint64 TickedMegabytes() const;

  void SetTicked(int row, bool ticked);
  QTreeWidget* checkList() const { return list_; }
  // The default button: the command's own name ("動画連結", "削除").
  QPushButton* okButton() const { return okButton_; }
  QLabel* totalLabel() const { return total_; }

  // A row's size text: "%llu MB" of the size shifted right by 20.
  static QString SizeText(quint64 bytes);

 private:
  void OnItemChanged(QTreeWidgetItem* item, int column);
  void UpdateTotal();

  std::vector<FileEntry> entries_;
  QTreeWidget* list_ = nullptr;
  QLabel* total_ = nullptr;
  QPushButton* okButton_ = nullptr;
  bool spreading_ = false;
};

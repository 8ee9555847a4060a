#pragma once

#include <QListWidget>
#include <QStyledItemDelegate>
#include <string>
#include <vector>

#include "catalogue/file_entry.h"

// The recording list (control 1001): one owner-drawn row per recording of
// the open source, in the catalogue's order. A recording an impact cut
// short is listed greyed with a mark and the tooltip "破損（修復できます）",
// and cannot be selected: it does not play. It holds the catalogue's
// entries; the main window reads and changes them under "hMutexCache".
class CFileListCtrl : public QListWidget {
  Q_OBJECT
 public:
  static constexpr int kControlId = 1001;

  explicit CFileListCtrl(QWidget* parent = nullptr);

  // Replaces the entries and rebuilds the rows.
  void SetEntries(std::vector<FileEntry> entries);
  const std::vector<FileEntry>& entries() const { return entries_; }
  std::vector<FileEntry>& entries() { return entries_; }
  int entryCount() const { return static_cast<int>(entries_.size()); }

  // Deletes all rows and inserts one per entry.
  void RebuildRows();

  // The highlighted row (drawn in the highlight colours).
  int highlightedRow() const { return highlightedRow_; }
  void SetHighlightedRow(int row);

  // Set by a left-button press in the list; the main window reads and
  // clears it to tell a user's click from a selection made in code.
  bool pressed() const { return pressed_; }
  void ClearPressed() { pressed_ = false; }

  // How the next opened recording was chosen: 0 by the user, 1 by the
  // end-of-movie advance, 2 by the previous-recording command.
  int openMode = 0;

  // Selects and focuses `row` without it counting as a user's click.
  void SelectRow(int row);

  // The first row from `from` on, walking by `step` (+1 or -1), whose
  // recording plays (not one cut short); -1 when there is none.
  int PlayableRow(int from, int step) const;
  // The entries whose recordings play, in list order.
  std::vector<FileEntry> PlayableEntries() const;

  // The row's text: the name without its extension (everything from the
  // first '.', unless that dot is the first character).
  static QString RowText(const std::string& name);
  // The fill colour of a row.
  static QColor RowFill(const std::string& name, bool highlighted);

 signals:
  // A row became the selected one.
  void rowSelected(int row);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  std::vector<FileEntry> entries_;
  int highlightedRow_ = -1;
  bool pressed_ = false;
};

// Draws the rows of CFileListCtrl: the row fill by type and highlight, a
// grey frame, and the text vertically centred with an ellipsis.
class CFileListRowDelegate : public QStyledItemDelegate {
 public:
  explicit CFileListRowDelegate(CFileListCtrl* list) : QStyledItemDelegate(list), list_(list) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  CFileListCtrl* list_;
};

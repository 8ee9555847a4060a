#include "browser/filer_container.h"

#include <QFileInfo>
#include <QPainter>
#include <QSignalBlocker>

#include "base/app_message.h"
#include "base/mount_point.h"
#include "base/path_text.h"
#include "base/removable_drives.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "browser/entry_sort.h"
#include "browser/file_list_ctrl.h"
#include "browser/folder_tree_ctrl.h"
#include "browser/recorder_version.h"
#include "catalogue/recording_check.h"
#include "container/named_mutex.h"
#include "controls/skin_button.h"

namespace {

// The panel's places: the path field across the top, the filter row under
// it, then the tree on the left and the list beside it.
constexpr int kPathHeight = 22;
constexpr int kFilterTop = 26;
constexpr int kFilterRowHeight = 16;
constexpr int kFilterLeft = 8;
constexpr int kLetterGap = 4;
constexpr int kCountWidth = 90;
constexpr int kListsTop = kFilterTop + kFilterRowHeight + 4;
constexpr int kTreeWidth = 150;
constexpr int kGap = 4;
// The filters' spacing in the narrow column.
constexpr int kNarrowFilterStep = 45;
const QColor kBackground(0xF0, 0xF0, 0xF0);

// UI text slots of the trigger labels, in filter order (A, G, M, P, S).
constexpr std::array<int, 5> kFilterLabels = {26, 24, 27, 28, 141};

// The filter buttons' strip: four 12 x 12 frames (rest, hover, latched,
// disabled) of a small check box; black is transparent.
QImage FilterButtonStrip() {
  const int s = CFilerContainer::kFilterSize;
  QImage strip(s * CSkinButton::kFrameCount, s, QImage::Format_ARGB32);
  strip.fill(Qt::black);
  QPainter p(&strip);
  const QColor edges[] = {QColor(0xC0, 0xC0, 0xC0), QColor(0xFF, 0xFF, 0xFF),
                          QColor(0xFF, 0xFF, 0xFF), QColor(0x70, 0x70, 0x70)};
  for (int frame = 0; frame < CSkinButton::kFrameCount; ++frame) {
    const QRect box(frame * s + 1, 1, s - 3, s - 3);
    p.setPen(edges[frame]);
    p.setBrush(frame == CSkinButton::kPressed ? QColor(0xFF, 0xCC, 0x00)
                                              : QColor(0x20, 0x20, 0x20));
    p.drawRect(box);
    if (frame == CSkinButton::kPressed) {
      p.setPen(QPen(Qt::white, 2));
      p.drawLine(frame * s + 3, 6, frame * s + 5, 8);
      p.drawLine(frame * s + 5, 8, frame * s + 9, 3);
    }
  }
  return strip;
}

// A folder tree that takes no items: listing a folder's recordings must
// not insert its subfolders anywhere.
class NoTree : public FolderTree {
 public:
  int ItemCount() const override { return kMaxItems; }
  Item InsertItem(Item, const std::filesystem::path&) override { return nullptr; }
  void SetItemData(Item, int) override {}
};

// Lists the recordings directly in `folder`, in catalogue order.
std::vector<FileEntry> FolderRecordings(Catalogue& catalogue, const QString& folder) {
  std::vector<FileEntry> entries;
  std::vector<FileEntry> lines;
  NoTree tree;
  int counter = 0;
  catalogue.ScanFolderForTree(PathOf(folder), tree, nullptr, entries, lines, false, true, counter);
  return entries;
}

}  // namespace

CFilerContainer::CFilerContainer(QWidget* parent)
    : QWidget(parent),
      mountInfoPath_(QStringLiteral("/proc/self/mountinfo")),
      sysPath_(QStringLiteral("/sys")),
      accept_([](const QString& file) { return IsRecording(file.toStdString()); }) {
  // The recordings an impact cut short are listed too, to be repaired.
  catalogue_.ListCutShort(true);
  setFont(fontNormal());
  // The panel's own light background, also under the main window's dark one.
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, kBackground);
  setPalette(colours);
  pathField_ = new QLineEdit(this);
  pathField_->setObjectName(QString::number(kPathFieldId));
  pathField_->setReadOnly(true);

  tree_ = new CFolderTreeCtrl(this);
  connect(tree_, &CFolderTreeCtrl::folderSelected, this, &CFilerContainer::OnFolderSelected);
  list_ = new CFileListCtrl(this);

  const QImage strip = FilterButtonStrip();
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const int x = kFilterLeft + kFilterStep * static_cast<int>(i);
    auto* button = new CSkinButton(this);
    button->Create(strip, QRect(x, kFilterTop + 2, kFilterSize, kFilterSize),
                   kFirstFilterId + static_cast<int>(i));
    button->SetLatched(true);
    button->setToolTip(UiText(kFilterLabels[i]));
    connect(button, &QAbstractButton::clicked, this,
            [this, i] { SetFilter(static_cast<int>(i), !shown_[i]); });
    buttons_[i] = button;
    letters_[i] = new QLabel(QString(QLatin1Char(kTypeLetters[i])), this);
    letters_[i]->setFont(fontSmall());
    letters_[i]->setToolTip(UiText(kFilterLabels[i]));
    letters_[i]->setGeometry(x + kFilterSize + kLetterGap, kFilterTop, kFilterStep / 2,
                             kFilterRowHeight);
  }
  countLabel_ = new QLabel(CountText(0), this);
  countLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  countLabel_->setStyleSheet(QStringLiteral("color:black;"));
}

CFilerContainer::~CFilerContainer() { StopWatcher(); }

void CFilerContainer::SetDriveTables(const QString& mountInfoPath, const QString& sysPath) {
  mountInfoPath_ = mountInfoPath;
  sysPath_ = sysPath;
}

void CFilerContainer::SetFileAcceptor(std::function<bool(const QString&)> accept) {
  accept_ = std::move(accept);
}

void CFilerContainer::StartWatcher(QObject* owner) {
  watcher_.Stop();
  sink_ = std::make_unique<WindowMessageSink>(owner);
  watcher_.Start(sink_.get());
  if (kind_ != SourceKind::kNone && QFileInfo::exists(path_)) watcher_.SetPath(path_.toStdString());
}

void CFilerContainer::StopWatcher() { watcher_.Stop(); }

QString CFilerContainer::CountText(int rows) {
  QString text = UiText(kCountText);
  return text.replace(QStringLiteral("%d"), QString::number(rows));
}

void CFilerContainer::SetLayoutMode(int mode) {
  layoutMode_ = mode == 1 ? 1 : 0;
  resizeEvent(nullptr);
}

void CFilerContainer::resizeEvent(QResizeEvent*) {
  const int w = width();
  const int h = height();
  const bool narrow = layoutMode_ == 1;
  pathField_->setGeometry(0, 0, w, kPathHeight);
  const int step = narrow ? kNarrowFilterStep : kFilterStep;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    const int x = kFilterLeft + step * static_cast<int>(i);
    buttons_[i]->move(x, kFilterTop + 2);
    letters_[i]->setGeometry(x + kFilterSize + kLetterGap, kFilterTop,
                             step - kFilterSize - kLetterGap, kFilterRowHeight);
  }
  // The narrow column has no room for the count beside the filters.
  const int countTop = narrow ? kFilterTop + kFilterRowHeight : kFilterTop;
  countLabel_->setGeometry(w - kCountWidth - kGap, countTop, kCountWidth, kFilterRowHeight);
  const int listsTop = narrow ? kListsTop + kFilterRowHeight : kListsTop;
  const int listsHeight = std::max(0, h - listsTop);
  if (narrow) {
    const int treeHeight = listsHeight / 3;
    tree_->setGeometry(0, listsTop, w, treeHeight);
    list_->setGeometry(0, listsTop + treeHeight + kGap, w,
                       std::max(0, listsHeight - treeHeight - kGap));
    return;
  }
  const int treeWidth = std::min(kTreeWidth, w / 3);
  tree_->setGeometry(0, listsTop, treeWidth, listsHeight);
  list_->setGeometry(treeWidth + kGap, listsTop, std::max(0, w - treeWidth - kGap), listsHeight);
}

bool CFilerContainer::RestoreSource() {
  QStringList drives;
  EnumRemovableDrives(drives, mountInfoPath_, sysPath_);
  const BrowserSource source =
      ::RestoreSource(drives, ReadIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER")),
                      ReadIniString(QStringLiteral("SOURCE"), QStringLiteral("FILE")));
  return ApplySource(source.kind, source.path);
}

bool CFilerContainer::ApplySource(SourceKind kind, const QString& path) {
  applying_ = true;
  const bool applied = ApplySourceNow(kind, path);
  applying_ = false;
  return applied;
}

bool CFilerContainer::ApplySourceNow(SourceKind kind, const QString& path) {
  const QString previous = path_;
  ClearLists();
  kind_ = kind;
  origin_ = path;
  switch (kind) {
    case SourceKind::kCard:
      path_ = CardBrowseRoot(path);
      break;
    case SourceKind::kFolder:
      path_ = WithoutTrailingSeparator(path);
      break;
    case SourceKind::kFile:
      path_ = path;
      break;
    case SourceKind::kNone:
      path_.clear();
      break;
  }
  pathField_->setText(path_);
  // Only a source that exists is watched: a missing one is no loss.
  const bool exists = kind != SourceKind::kNone && QFileInfo::exists(path_);
  watcher_.SetPath(exists ? path_.toStdString() : std::string());
  if (!exists) {
    // A source that has vanished keeps the mount point it had.
    if (path_ != previous) sourceMountPoint_.clear();
    return false;
  }
  sourceMountPoint_ = MountPointOf(path_, mountInfoPath_);
  return kind == SourceKind::kFile ? ApplyFile(path_) : ApplyFolder(path_);
}

bool CFilerContainer::ApplyFolder(const QString& root) {
  if (!QFileInfo(root).isDir()) return false;
  QTreeWidgetItem* rootItem = tree_->SetRoot(root);
  std::vector<FileEntry> entries;
  int counter = 0;
  catalogue_.ScanFolderForTree(PathOf(root), *tree_, rootItem, entries, folderLines_, true, true,
                               counter);
  rootItem->setExpanded(true);
  ReadRecorderVersion();
  // Choosing the first folder lists its recordings; without one the
  // source's own recordings are listed.
  tree_->setCurrentItem(rootItem->childCount() > 0 ? rootItem->child(0) : rootItem);
  return true;
}

bool CFilerContainer::ApplyFile(const QString& file) {
  tree_->SetRoot(QFileInfo(file).absolutePath());
  if (!accept_(file)) return false;
  std::vector<FileEntry> entries;
  if (!catalogue_.AddRecording(file.toStdString(), entries)) return false;
  {
    std::lock_guard lock(NamedMutex("hMutexCache"));
    entries_ = std::move(entries);
  }
  RebuildRows();
  list_->SelectRow(list_->PlayableRow(0, 1));
  return true;
}

void CFilerContainer::ReadRecorderVersion() {
  std::vector<FileEntry> lines = folderLines_;
  Order(lines);
  if (lines.empty()) return;
  const std::vector<FileEntry> last = FolderRecordings(catalogue_, PathText(lines.back().path));
  if (!last.empty()) recorderVersion_ = ::ReadRecorderVersion(last.front().path);
}

void CFilerContainer::ClearLists() {
  tree_->Reset();
  {
    std::lock_guard lock(NamedMutex("hMutexCache"));
    entries_.clear();
    folderLines_.clear();
  }
  recorderVersion_.clear();
  pathField_->clear();
  RebuildRows();
}

void CFilerContainer::Relist() {
  const QString origin = origin_;
  ApplySource(kind_, origin);
}

void CFilerContainer::OnFolderSelected(const QString& folder) {
  ShowFolder(folder);
  emit folderChanged(folder);
}

void CFilerContainer::ShowFolder(const QString& folder) {
  std::vector<FileEntry> entries = FolderRecordings(catalogue_, folder);
  {
    std::lock_guard lock(NamedMutex("hMutexCache"));
    entries_ = std::move(entries);
  }
  RebuildRows();
}

bool CFilerContainer::SelectNextFolder() {
  QTreeWidgetItem* next = CFolderTreeCtrl::NextSibling(tree_->currentItem());
  if (next == nullptr) return false;
  tree_->setCurrentItem(next);
  return true;
}

void CFilerContainer::ChooseFolderQuietly(QTreeWidgetItem* item) {
  if (item == nullptr) return;
  {
    const QSignalBlocker quiet(tree_);
    tree_->setCurrentItem(item);
  }
  ShowFolder(CFolderTreeCtrl::FolderOf(item));
}

void CFilerContainer::SetFilter(int index, bool on) {
  if (index < 0 || index >= static_cast<int>(shown_.size())) return;
  shown_[index] = on;
  buttons_[index]->SetLatched(on);
  RebuildRows();
  list_->SelectRow(list_->PlayableRow(0, 1));
}

bool CFilerContainer::SortRows(int key) {
  {
    std::lock_guard lock(NamedMutex("hMutexCache"));
    if (!SortEntries(entries_, key)) return false;
  }
  RebuildRows();
  list_->clearSelection();
  if (list_->count() > 0) {
    list_->SetHighlightedRow(0);
    list_->SelectRow(list_->PlayableRow(0, 1));
  }
  return true;
}

void CFilerContainer::RebuildRows() {
  {
    std::lock_guard lock(NamedMutex("hMutexCache"));
    list_->SetEntries(FilterByType(entries_, shown_));
  }
  countLabel_->setText(CountText(list_->count()));
  emit rowsRebuilt();
}

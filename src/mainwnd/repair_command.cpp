// The repair command: a recording an impact cut short, chosen by the list's
// popup menu, is repaired on the command worker into a new file, and the
// list is read again so that the repaired recording shows beside it.
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

#include "base/app_message.h"
#include "base/path_text.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "catalogue/recording_repair.h"
#include "catalogue/repair_reference.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/main_messages.h"
#include "mainwnd/movie_path_dialog.h"

namespace {

constexpr int kRepairItem = 155;    // "修復…"
constexpr int kRepairFailed = 156;  // "録画を修復できませんでした。"
constexpr int kChooseReference = 157;  // "修復に使う同じカメラの正常な録画を選んでください"

}  // namespace

void CommandRunner::OnListMenu(const QPoint& point) {
  CFileListCtrl* list = dlg_.fileList();
  const int row = list->indexAt(point).row();
  if (commandRunning_ || row < 0 || row >= list->entryCount()) return;
  const FileEntry entry = list->entries()[static_cast<std::size_t>(row)];
  if (!entry.repairable) return;
  QMenu menu(list);
  menu.setObjectName(QStringLiteral("recording popup menu"));
  menu.setAccessibleName(menu.objectName());
  const QAction* repair = menu.addAction(UiText(kRepairItem));
  if (menu.exec(list->viewport()->mapToGlobal(point)) == repair) OnRepair(entry.path);
}

void CommandRunner::OnRepair(const std::filesystem::path& damaged) {
  if (dlg_.playback().NearEndOfMovie()) return;
  RewindForWork();
  BeginCommand();
  // The nearest healthy recording of the same folder lends its sample
  // descriptions; without one, the user names one.
  RepairOptions options;
  if (ReferenceCandidates(damaged).empty()) {
    const QString reference = AskMoviePath(&dlg_, QFileDialog::AcceptOpen, UiText(kChooseReference),
                                           PathText(damaged.parent_path()));
    if (reference.isEmpty()) {
      EndCommandBeforeWork();
      return;
    }
    options.reference = PathOf(reference);
  }
  const QString output = AskMoviePath(&dlg_, QFileDialog::AcceptSave, UiText(kRepairItem),
                                      PathText(RepairedPath(damaged)));
  if (output.isEmpty()) {
    EndCommandBeforeWork();
    return;
  }
  options.running = &commandRunning_;
  StartCommandWorker([this, damaged, options, output = PathOf(output)] {
    PostAppMessage(&dlg_, WM_APP_WORK_PROGRESS, 0, 1);
    const RepairResult result = Repair(damaged, output, options);
    {
      std::lock_guard lock(workOutcomeMutex_);
      if (result.error == RepairError::kNone) {
        workOutcome_.done = true;
        workOutcome_.relist = true;
      } else if (result.error != RepairError::kCancelled) {
        workOutcome_.errorText =
            UiText(kRepairFailed) + QLatin1Char('\n') + QString::fromStdString(result.why);
      }
    }
    PostAppMessage(&dlg_, WM_APP_WORK_PROGRESS, 1, 1);
    commandRunning_ = false;
    PostAppMessage(&dlg_, WM_APP_WORK_DONE, 0, 0);
  });
}

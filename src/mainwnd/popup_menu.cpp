// The movie popup menu that the video surface asks for: built fresh from the
// engine's state and the window's, shown at the point, its choice run as a
// command.
#include <QMenu>

#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "mainwnd/popup_menu_rules.h"

namespace {

QString ItemText(PopupText text) {
  switch (text) {
    case PopupText::kPlay:
      return UiText(86);
    case PopupText::kPause:
      return UiText(85);
    case PopupText::kStop:
      return UiText(90);
    case PopupText::kFaster:
      return UiText(82);
    case PopupText::kSlower:
      return UiText(88);
    case PopupText::kSnapshot:
      return UiText(89);
    case PopupText::kSettings:
      return UiText(87);
    case PopupText::kSource:
      return UiText(84);
    case PopupText::kKeepAspect:
      return UiText(91);
    case PopupText::kStretch:
      return UiText(92);
    case PopupText::kObdMeters:
      return UiText(140);
    case PopupText::kEventList:
      return UiText(180);
    case PopupText::kGpxExport:
      return UiText(211);
    case PopupText::kStepForward:
      return UiText(202);
    case PopupText::kStepBack:
      return UiText(203);
    case PopupText::kKeyHelp:
      return UiText(198);
    case PopupText::kClipStart:
      return UiText(215);
    case PopupText::kClipEnd:
      return UiText(216);
    case PopupText::kClipExport:
      return UiText(222);
    case PopupText::kBackwards:
      return UiText(163);
    case PopupText::kSeparator:
      break;
  }
  return {};
}

}  // namespace

void CKestrelDlg::OnPopupMenu(const QPoint& screenPoint) {
  if (playback().NearEndOfMovie() || playback().busy() || controlsDisabledByCommand_) return;
  PopupInputs in;
  in.engineReady = engine_->engineReady != 0;
  in.playState = engine_->playState;
  in.rateCode = engine_->rateCode;
  in.aspectMode = engine_->aspectMode;
  in.windowMode = windowModes().windowMode();
  in.fullScreen = windowModes().fullScreen();
  in.listEmpty = fileList_->entryCount() == 0;
  in.clipReady = clipMarks().Ready();
  in.backwards = engine_->direction < 0;
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("movie popup menu"));
  menu.setAccessibleName(menu.objectName());
  for (const PopupItem& item : PopupMenuItems(in)) {
    if (item.command == 0) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(ItemText(item.text));
    action->setData(item.command);
    action->setEnabled(!item.greyed);
    action->setCheckable(item.checkable);
    action->setChecked(item.checked);
  }
  const QAction* chosen = menu.exec(screenPoint);
  if (chosen != nullptr) OnCommand(chosen->data().toInt());
}

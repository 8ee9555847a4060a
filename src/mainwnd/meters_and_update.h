#pragma once

// The vehicle meters window and the once-a-run update check.

#include <QPointer>
#include <QSize>

#include "player/player_engine_state.h"
#include "update/update_check.h"
#include "update/update_dialog.h"

class CKestrelDlg;
class CObdDlg;

class MetersAndUpdate {
 public:
  MetersAndUpdate(CKestrelDlg& dlg, PlayerEngineState* engine);

  // Makes the meters window (with the children).
  void CreateMetersWindow();
  // The meters window takes the size of the information panel and the
  // G-sensor graph under it as they are at start-up.
  void TakeMetersSize(const QSize& size) { metersSize_ = size; }
  // The vehicle meters, placed beside the window and restarted (what the
  // movie popup menu's "車両情報" and the information panel's vehicle icon
  // call).
  void ShowObdMeters();
  // Starts the update check the first time (later calls do nothing); false
  // when nothing was started (no update server set, or started before).
  bool StartUpdateCheck();
  // CUpdateCheck::kMessageUpdateFound.
  void OnUpdateFound();

  CObdDlg* obdDlg() const { return obdDlg_; }
  CUpdateCheck& updateCheck() { return updateCheck_; }
  // The update dialog while it is open.
  CUpdateDialog* updateDialog() const { return updateDialog_; }

 private:
  CKestrelDlg& dlg_;
  PlayerEngineState* engine_;
  CObdDlg* obdDlg_ = nullptr;
  QSize metersSize_;  // the meters window's size, taken at start-up
  QPointer<CUpdateDialog> updateDialog_;
  // Last, so that its thread has stopped before the rest goes.
  CUpdateCheck updateCheck_;
};

// The main window's vehicle meters (command 38013) and the once-a-run update
// check with its dialog.
#include <QGuiApplication>
#include <QScreen>

#include "base/settings_file.h"
#include "base/ui_text.h"
#include "base/viewer_version.h"
#include "browser/filer_container.h"
#include "mainwnd/kestrel_dlg.h"
#include "update/update_check.h"
#include "update/update_dialog.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"
#include "views/obd_dlg.h"

namespace {

constexpr int kUpdateTitleText = 108;

}  // namespace

MetersAndUpdate::MetersAndUpdate(CKestrelDlg& dlg, PlayerEngineState* engine)
    : dlg_(dlg), engine_(engine) {}

void MetersAndUpdate::CreateMetersWindow() {
  obdDlg_ = new CObdDlg(&dlg_);
  obdDlg_->SetPlayingQuery([this] { return engine_ != nullptr && engine_->playState == 2; });
  dlg_.playback().AddFrameView(obdDlg_);
}

void MetersAndUpdate::ShowObdMeters() {
  obdDlg_->SetOwner(&dlg_);
  obdDlg_->Start(metersSize_.width(), metersSize_.height());
  obdDlg_->show();
  obdDlg_->raise();
}

bool MetersAndUpdate::StartUpdateCheck() {
  const bool started =
      updateCheck_.Start(&dlg_, ReadUpdateServer(), dlg_.filer()->recorderVersion(),
                         QString::fromLatin1(kViewerVersion));
  if (started) dlg_.raise();
  return started;
}

void MetersAndUpdate::OnUpdateFound() {
  const QString text = updateCheck_.TakeLinkText();
  if (text.isEmpty()) return;
  // The dialog is the window's own, above it and taking input beside it.
  auto* dialog = new CUpdateDialog(text, false, &dlg_);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(UiText(kUpdateTitleText));
  dialog->show();
  updateDialog_ = dialog;
}

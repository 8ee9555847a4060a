// The main window's start-up, its own painting and dragging, the dispatch of
// the messages posted to it and of what the video surface reports, to the
// concern that handles each.
#include "mainwnd/kestrel_dlg.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "base/app_message.h"
#include "base/error_box.h"
#include "base/mount_point.h"
#include "base/recorder_time_zone.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "catalogue/movie_resource.h"
#include "container/known_atom_table.h"
#include "container/named_mutex.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/main_messages.h"
#include "map/google_map_dlg_wrap.h"
#include "map/map_position_view.h"
#include "map/web_engine_check.h"
#include "player/engine_messages.h"
#include "player/movie_static.h"
#include "player/player_engine.h"
#include "views/g_sensor_dlg.h"
#include "views/info_dlg.h"
#include "views/obd_dlg.h"
#include "views/setting_dlg.h"

namespace {

constexpr auto kTitle = "Quendra3";
constexpr int kInstallCodecsText = 114;  // "コーデックとスプリッターをインストールしてください。"
constexpr auto kEngineFaceName = "メイリオ";
// Where the window draws its title.
const QRect kTitleRect(QPoint(10, 4), QPoint(400, 30));
const QColor kBackground(0x20, 0x20, 0x20);
// The line around the recording browser.
const QColor kBrowserFrame(0x88, 0x88, 0x88);

}  // namespace

CKestrelDlg::CKestrelDlg(QWidget* parent) : QDialog(parent, Qt::Window | Qt::FramelessWindowHint) {
  setFixedSize(kWidth, kHeight);
  ops_ = MakePlayerEngineOps();
  engine_ = std::make_unique<PlayerEngineState>();
  playback_ = std::make_unique<PlaybackCoordinator>(*this, ops_, engine_.get());
  commands_ = std::make_unique<CommandRunner>(*this, ops_, engine_.get());
  windowModes_ = std::make_unique<WindowModes>(*this, ops_, engine_.get());
  mapAndMarks_ = std::make_unique<MapAndEventMarks>(*this, ops_, engine_.get());
  keys_ = std::make_unique<KeyCommands>(*this, ops_, engine_.get());
  meters_ = std::make_unique<MetersAndUpdate>(*this, engine_.get());
  clipMarks_ = std::make_unique<ClipMarks>(*this, ops_, engine_.get());
  OnInitDialog();
  connect(this, &CKestrelDlg::recordingOpened, this, [this] { clipMarks().Show(); });
  qApp->installEventFilter(keys_.get());
}

CKestrelDlg::~CKestrelDlg() { Shutdown(); }

void CKestrelDlg::OnInitDialog() {
  CreateSharedFonts();
  setWindowTitle(QString::fromLatin1(kTitle));
  CreateChildControls();
  connect(filer_, &CFilerContainer::folderChanged, this, &CKestrelDlg::OnFolderChosen);
  programMountPoint_ = MountPointOf(QCoreApplication::applicationFilePath());
  CreateSettingsOnFirstRun();

  ops_.EngineInit(engine_.get(), video_, QString::fromUtf8(kEngineFaceName));
  engine_->engineReady = 1;
  engine_->trackLoaded = 0;
  ops_.SetHardwareDecode(engine_.get(), ReadHardwareDecode());
  KnownAtomTable::Shared();

  windowModes().LoadKeepAspect();
  TakeClockSettings();

  windowModes().ApplyWindowMode();
  // The meters window takes the size of the information panel and the
  // G-sensor graph under it as they are at start-up.
  meters().TakeMetersSize(QSize(infoDlg_->width(), infoDlg_->height() + gSensorDlg_->height()));
  playback().SyncViewsToFrame(0);
  playback().SetVolumeLevel(ReadVolumeLevel());

  filer_->RestoreSource();
  SetListedSourceCsv();
  UpdateButtons();
  ShowWebView2Notice(this);
  // A viewer that cannot show a map checks for updates once after start-up;
  // with a map, the check starts when its page is first ready.
  if (mapAndMarks().mapUnavailable()) meters().StartUpdateCheck();
}

void CKestrelDlg::TakeClockSettings() {
  infoDlg_->SetTimeOffset(ReadTimeOffset());
  UseRecorderTimeZone(ReadTimeZone());
  infoDlg_->update();
}

bool CKestrelDlg::event(QEvent* event) {
  auto* message = dynamic_cast<AppMessageEvent*>(event);
  if (message == nullptr) return QDialog::event(event);
  // After the shutdown the engine is gone: nothing is handled any more.
  if (shutDown_) return true;
  const auto w = message->wParam();
  const auto l = message->lParam();
  switch (message->message()) {
    case WM_APP_ADVANCE:
      playback().AdvanceWithinFolder();
      break;
    case WM_APP_REFRESH:
      OnRefresh(w, l);
      break;
    case WM_SLOW_FRAME:
      if (engine_->engineReady != 0) ops_.SeekToFrame(engine_.get(), l);
      break;
    case WM_MEDIA_MISSING_DECODER:
      // Said once a run, naming what is missing; the other recordings play on.
      if (!missingDecoderShown_) {
        missingDecoderShown_ = true;
        ShowErrorBox(this,
                     UiText(kInstallCodecsText) + QStringLiteral("\n\n") + engine_->missingDecoder);
      }
      break;
    case WM_SLOW_END:
      playback().AdvanceWithinFolder();
      break;
    case WM_APP_RELAYOUT:
      // The picture placed again with the zoom view, unpainted.
      windowModes().ApplyZoomView(0);
      break;
    case WM_APP_OPEN_FINISHED:
      OnOpenFinished(w, l);
      break;
    case WM_APP_FOLDER_CHANGED:
      playback().OnFolderChanged();
      break;
    case WM_APP_TRACK_LOADED:
      playback().CompleteOpen(w, l);
      break;
    case CSkinSliderCtrl::kMessageDrag:
    case CSkinSliderCtrl::kMessagePress:
    case CSkinSliderCtrl::kMessageRelease:
      playback().OnSliderMessage(message->message(), static_cast<int>(w), static_cast<int>(l));
      break;
    case CMovieResource::kSourceLost:
      OnSourceLost();
      break;
    case CGoogleMapDlgWrap::WM_APP_MAP_READY:
      mapAndMarks().OnMapReady();
      break;
    case CGoogleMapDlgWrap::WM_APP_MAP_MARK_CLICKED:
      mapAndMarks().OnMapMarkClicked(static_cast<int>(l));
      break;
    case CUpdateCheck::kMessageUpdateFound:
      meters().OnUpdateFound();
      break;
    case CInfoDlg::kMessageAxisToggle:
      mapAndMarks().OnAxisToggle(static_cast<int>(w), static_cast<int>(l));
      break;
    case CGSensorDlg::kMessagePrevEvent:
      mapAndMarks().OnPrevEvent();
      break;
    case CGSensorDlg::kMessageNextEvent:
      mapAndMarks().OnNextEvent();
      break;
    case WM_APP_WORK_PROGRESS:
      commands().OnWorkProgress(w, l);
      break;
    case WM_APP_WORK_DONE:
      commands().OnWorkDone(l);
      break;
    case WM_APP_ICON_KIND:
      mapAndMarks().OnIconKind(static_cast<int>(w), static_cast<int>(l));
      break;
    case CObdDlg::kMessageClosed:
      break;
    case CSettingDlg::kMessageClockChanged:
      TakeClockSettings();
      break;
    case CSettingDlg::kMessageTileSourceChanged:
      mapAndMarks().TakeTileSource();
      break;
    default:
      // 0x8002, 0x825D, 0x825E and the list's double click (0x8385) mean
      // nothing here.
      break;
  }
  return true;
}

void CKestrelDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  // Full screen shows the picture alone; the children paint themselves,
  // the picture by the engine's painter (black while no movie is open).
  if (windowModes().fullScreen()) return;
  painter.setFont(fontNormal());
  painter.setPen(Qt::white);
  painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   windowTitle());
  mapAndMarks().DrawMapArea(painter);
  if (windowModes().windowMode() == 2) {
    infoDlg_->DrawContents(painter, windowModes().compactInfoRect());
  } else if (filer_->isVisible()) {
    painter.setPen(kBrowserFrame);
    painter.drawRect(filer_->geometry().adjusted(-1, -1, 0, 0));
  }
}

void CKestrelDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && !windowModes().fullScreen()) {
    dragging_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  }
  QDialog::mousePressEvent(event);
}

void CKestrelDlg::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
  QDialog::mouseMoveEvent(event);
}

void CKestrelDlg::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QDialog::mouseReleaseEvent(event);
}

void CKestrelDlg::keyPressEvent(QKeyEvent* event) {
  if (!keys().KeyPress(event)) QDialog::keyPressEvent(event);
}

void CKestrelDlg::keyReleaseEvent(QKeyEvent* event) {
  if (!keys().KeyRelease(event)) QDialog::keyReleaseEvent(event);
}

void CKestrelDlg::moveEvent(QMoveEvent* event) {
  windowModes().OnMoved();
  QDialog::moveEvent(event);
}

void CKestrelDlg::resizeEvent(QResizeEvent* event) {
  windowModes().OnResized();
  QDialog::resizeEvent(event);
}

void CKestrelDlg::OnEndOfMovie(std::intptr_t, std::intptr_t) { playback().OnEndOfMovie(); }

void CKestrelDlg::OnMediaOpened(std::intptr_t, std::intptr_t) { playback().OnMediaOpened(); }

void CKestrelDlg::OnMediaOpenFailed() { playback().OnMediaOpenFailed(); }

void CKestrelDlg::OnReverseStopped(bool failed) { playback().OnReverseStopped(failed); }

void CKestrelDlg::OnZoomClick(int, const QPoint& point) { windowModes().ZoomStep(point); }

void CKestrelDlg::OnToggleFullScreen() { windowModes().OnToggleFullScreen(); }

QString CKestrelDlg::rateLabelText() const { return rateLabel_->accessibleName(); }

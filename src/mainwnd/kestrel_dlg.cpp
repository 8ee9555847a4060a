// The main window's start-up, its own painting and dragging, and the
// dispatch of the messages posted to it.
#include "mainwnd/kestrel_dlg.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include "base/app_message.h"
#include "base/mount_point.h"
#include "base/recorder_time_zone.h"
#include "base/settings_file.h"
#include "base/shared_fonts.h"
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

namespace {

constexpr auto kTitle = "Quendra3";
constexpr auto kEngineFaceName = "メイリオ";
// Where the window draws its title.
const QRect kTitleRect(QPoint(10, 4), QPoint(400, 30));
const QColor kBackground(0x20, 0x20, 0x20);
// The line around the recording browser.
const QColor kBrowserFrame(0x88, 0x88, 0x88);

}  // namespace

CKestrelDlg::CKestrelDlg(QWidget* parent) : QDialog(parent, Qt::Window | Qt::FramelessWindowHint) {
  setFixedSize(kWidth, kHeight);
  tick_.setInterval(kTickMs);
  openDelay_.setSingleShot(true);
  openDelay_.setInterval(kOpenDelayMs);
  openWatchdog_.setSingleShot(true);
  openWatchdog_.setInterval(kOpenWatchdogMs);
  connect(&tick_, &QTimer::timeout, this, &CKestrelDlg::OnPlaybackTick);
  connect(&openDelay_, &QTimer::timeout, this, &CKestrelDlg::OpenSelected);
  connect(&openWatchdog_, &QTimer::timeout, this, &CKestrelDlg::OnOpenWatchdog);
  OnInitDialog();
  qApp->installEventFilter(this);
}

CKestrelDlg::~CKestrelDlg() { Shutdown(); }

void CKestrelDlg::OnInitDialog() {
  mutexCache_ = &NamedMutex("hMutexCache");
  mutexCpSet_ = &NamedMutex("hMutexCpSet");
  CreateSharedFonts();
  setWindowTitle(QString::fromLatin1(kTitle));
  CreateChildControls();
  connect(filer_, &CFilerContainer::folderChanged, this, &CKestrelDlg::OnFolderChosen);
  programMountPoint_ = MountPointOf(QCoreApplication::applicationFilePath());
  CreateSettingsOnFirstRun();

  ops_ = MakePlayerEngineOps();
  engine_ = std::make_unique<PlayerEngineState>();
  ops_.EngineInit(engine_.get(), video_, QString::fromUtf8(kEngineFaceName));
  engine_->engineReady = 1;
  engine_->trackLoaded = 0;
  ops_.SetHardwareDecode(engine_.get(), ReadHardwareDecode());
  KnownAtomTable::Shared();

  keepAspect_ = ReadKeepAspect();
  volumeLevel_ = ReadVolumeLevel();
  infoDlg_->SetTimeOffset(ReadTimeOffset());
  UseRecorderTimeZone(ReadTimeZone());

  ApplyWindowMode();
  // The meters window takes the size of the information panel and the
  // G-sensor graph under it as they are at start-up.
  metersSize_ = QSize(infoDlg_->width(), infoDlg_->height() + gSensorDlg_->height());
  SyncViewsToFrame(0);
  SetVolumeLevel(volumeLevel_);

  FillBrowserFromSavedSource();
  SetListedSourceCsv();
  UpdateButtons();
  ShowWebView2Notice(this);
  // A viewer that cannot show a map checks for updates once after start-up;
  // with a map, the check starts when its page is first ready.
  if (mapUnavailable_) StartUpdateCheck();
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
      AdvanceWithinFolder();
      break;
    case WM_APP_REFRESH:
      OnRefresh(w, l);
      break;
    case WM_SLOW_FRAME:
      if (engine_->engineReady != 0) ops_.SeekToFrame(engine_.get(), l);
      break;
    case WM_SLOW_END:
      AdvanceWithinFolder();
      break;
    case WM_APP_RELAYOUT:
      OnRelayout();
      break;
    case WM_APP_OPEN_FINISHED:
      OnOpenFinished(w, l);
      break;
    case WM_APP_FOLDER_CHANGED:
      OnFolderChanged();
      break;
    case WM_APP_TRACK_LOADED:
      CompleteOpen(w, l);
      break;
    case CSkinSliderCtrl::kMessageDrag:
    case CSkinSliderCtrl::kMessagePress:
    case CSkinSliderCtrl::kMessageRelease:
      OnSliderMessage(message->message(), static_cast<int>(w), static_cast<int>(l));
      break;
    case CMovieResource::kSourceLost:
      OnSourceLost();
      break;
    case CGoogleMapDlgWrap::WM_APP_MAP_READY:
      OnMapReady();
      break;
    case CGoogleMapDlgWrap::WM_APP_MAP_MARK_CLICKED:
      OnMapMarkClicked(static_cast<int>(l));
      break;
    case CUpdateCheck::kMessageUpdateFound:
      OnUpdateFound();
      break;
    case CInfoDlg::kMessageAxisToggle:
      OnAxisToggle(static_cast<int>(w), static_cast<int>(l));
      break;
    case CGSensorDlg::kMessagePrevEvent:
      OnPrevEvent();
      break;
    case CGSensorDlg::kMessageNextEvent:
      OnNextEvent();
      break;
    case WM_APP_WORK_PROGRESS:
      OnWorkProgress(w, l);
      break;
    case WM_APP_WORK_DONE:
      OnWorkDone(l);
      break;
    case WM_APP_ICON_KIND:
      OnIconKind(static_cast<int>(w), static_cast<int>(l));
      break;
    case CObdDlg::kMessageClosed:
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
  if (fullScreen_) return;
  painter.setFont(fontNormal());
  painter.setPen(Qt::white);
  painter.drawText(kTitleRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   windowTitle());
  DrawMapArea(painter);
  if (windowMode_ == 2) {
    infoDlg_->DrawContents(painter, compactInfoRect_);
  } else if (filer_->isVisible()) {
    painter.setPen(kBrowserFrame);
    painter.drawRect(filer_->geometry().adjusted(-1, -1, 0, 0));
  }
}

void CKestrelDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && !fullScreen_) {
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

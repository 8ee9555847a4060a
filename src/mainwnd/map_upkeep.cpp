// The main window's side of the map: the map window's place, the map upkeep
// of the tick, the event marks sent to the map, the map's messages and the
// still pictures that take the map's place.
#include <QPainter>

#include "browser/file_list_ctrl.h"
#include "container/event_marks.h"
#include "container/named_mutex.h"
#include "container/sensor_track.h"
#include "mainwnd/kestrel_dlg.h"
#include "map/google_map_dlg2.h"
#include "map/google_map_dlg_wrap.h"
#include "map/map_pictures.h"
#include "map/map_position_view.h"
#include "map/map_statements.h"
#include "map/web_engine_check.h"
#include "player/player_engine.h"

namespace {

// The map's place in window mode 0: right of the video, at its top.
const QRect kMapRect = WindowLayoutFor(0).map.rect;

bool IsParkingName(const std::string& name) {
  return name.size() > 11 && name[10] == '_' && (name[11] == 'P' || name[11] == 'S');
}

}  // namespace

MapAndEventMarks::MapAndEventMarks(CKestrelDlg& dlg, const PlayerEngineOps& ops,
                                   PlayerEngineState* engine)
    : dlg_(dlg), ops_(ops), engine_(engine), mutexCpSet_(&NamedMutex("hMutexCpSet")) {}

MapAndEventMarks::~MapAndEventMarks() = default;

void MapAndEventMarks::CreateMap() {
  mapUnavailable_ = !IsWebView2RuntimeInstalled();
  map_ = std::make_unique<CGoogleMapDlgWrap>();
  map_->Create(&dlg_, &dlg_, TileSource::FromSettingsFile());
  map_->mapWindow()->setGeometry(kMapRect);
  map_->SetGridSource([this]() -> std::optional<std::vector<PositionRecord>> {
    if (engine_->engineReady == 0 || engine_->trackLoaded == 0) return std::nullopt;
    EngineLock lock(engine_->fileMutex);
    std::vector<PositionRecord> positions = engine_->currentReader.positions;
    for (PositionRecord& p : positions) {
      p.accel = nullptr;
      p.vehicle = nullptr;
    }
    return positions;
  });
  mapPositionView_ = std::make_unique<MapPositionView>(map_.get(), [this] {
    if (dlg_.playback().nothingShown()) return;
    if (!mapPositionSet_) {
      mapPositionSet_ = true;
      dlg_.update(kMapRect);
    }
  });
  dlg_.playback().AddFrameView(mapPositionView_.get());
}

void MapAndEventMarks::UpdateMapGroup() {
  std::vector<std::filesystem::path> paths;
  {
    std::lock_guard lock(dlg_.playback().cacheMutex());
    for (const FileEntry& entry : dlg_.fileList()->PlayableEntries()) paths.push_back(entry.path);
  }
  if (paths == mapGroupPaths_) return;
  mapGroupPaths_ = paths;
  std::vector<PositionRecord> route;
  SensorTrack::LoadRoute(paths, &route);
  for (PositionRecord& p : route) {
    p.accel = nullptr;
    p.vehicle = nullptr;
  }
  map_->SetGroupTrack(std::move(route));
}

bool MapAndEventMarks::SendEventMarksToMap(int index) {
  if (!map_->pageInitialised()) return false;
  std::lock_guard lock(*mutexCpSet_);
  UpdateMapGroup();
  map_->RebuildTrack(index);
  // One pin per event of the list, from the last to the first; a mark
  // without a position on the map has none.
  std::vector<std::string> statements;
  if (engine_->engineReady != 0) {
    EngineLock engine(engine_->fileMutex);
    for (auto mark = eventList_.rbegin(); mark != eventList_.rend(); ++mark) {
      if (mark->record == nullptr || !channelSwitches_[mark->channel].sentToMap) continue;
      const PositionRecord* position = mark->record->position;
      if (position == nullptr || (position->latitude == 0 && position->longitude == 0)) continue;
      statements.push_back(AddCrashPosStatement(mark->icon, *mark->record, index, *position));
    }
  }
  for (const std::string& statement : statements) map_->RunScript(statement);
  return true;
}

void MapAndEventMarks::MapUpkeep() {
  if (marksBuilt_ || !map_->pageInitialised()) return;
  // The update check starts once, the first time the page is ready.
  dlg_.meters().StartUpdateCheck();
  // Without a recording there is nothing to build or to stop.
  if (!dlg_.playback().IndexValid()) return;
  if (SendEventMarksToMap(dlg_.playback().currentIndex())) marksBuilt_ = true;
  const int state = engine_->engineReady != 0 ? engine_->playState.load() : 0;
  if (state == 2) return;
  if (state == 3) {
    map_->mapWindow()->mapStatus = QStringLiteral("pause");
    map_->mapWindow()->PostUpdateMessage();
  } else {
    map_->SetMapStatus(2);
  }
}

void MapAndEventMarks::OnMapReady() {
  marksBuilt_ = false;
  MapUpkeep();
  mapPageReady_ = true;
  dlg_.update();
}

void MapAndEventMarks::TakeTileSource() {
  // The page loaded again reports ready, and then gets its route and marks.
  map_->SetTileSource(TileSource::FromSettingsFile());
}

void MapAndEventMarks::OnMapMarkClicked(int frame) { dlg_.playback().SeekTo(frame); }

void MapAndEventMarks::PushMapStatus(int state) {
  if (state == 2) {
    map_->SetMapStatus(2);
    return;
  }
  map_->SetMapStatus(state);
  map_->mapWindow()->PostUpdateMessage();
}

void MapAndEventMarks::DrawMapArea(QPainter& painter) {
  MapAreaState state;
  state.positionSet = mapPositionSet_;
  state.reachable = map_->reachable() != 0;
  state.indexValid = dlg_.playback().IndexValid();
  state.mapUnavailable = mapUnavailable_;
  state.mapPageReady = mapPageReady_;
  if (engine_->engineReady != 0) {
    EngineLock lock(engine_->fileMutex);
    state.trackHasPositions = !engine_->currentReader.positions.empty();
  }
  if (state.indexValid) {
    std::lock_guard lock(dlg_.playback().cacheMutex());
    state.parking = IsParkingName(dlg_.fileList()->entries()[dlg_.playback().currentIndex()].name);
  }
  const MapAreaContent content = ChooseMapAreaContent(state);
  // Only window mode 0 has room for the map, and full screen shows the
  // picture alone.
  const bool mapPlace = dlg_.windowModes().windowMode() == 0 && !dlg_.windowModes().fullScreen();
  if (content == MapAreaContent::kMap && mapPlace) {
    map_->ShowMap(true);
    pictureShown_ = false;
    return;
  }
  map_->ShowMap(false);
  map_->mapWindow()->hide();
  pictureShown_ = content != MapAreaContent::kMap && mapPlace;
  if (pictureShown_) {
    painter.drawImage(kMapRect.topLeft(), MapAreaPicture(content, kMapRect.size()));
  }
}

void MapAndEventMarks::MapTickWhileStill() {
  const bool reachable = map_->reachable() != 0;
  if (pictureShown_ || !reachable) dlg_.update(kMapRect);
}

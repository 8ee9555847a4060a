#pragma once

// The map's upkeep and the event marks of the open recording and of the whole source.

#include <QObject>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "container/event_marks.h"
#include "player/player_engine_ops.h"
#include "player/player_engine_state.h"

class CEventListDlg;
class CGoogleMapDlgWrap;
class CKestrelDlg;
class MapPositionView;
class QPainter;

// The main window's side of the map and of the event marks of the open
// recording: the map upkeep of the tick, the marks sent to the map, the
// still pictures that take the map's place, and the event list of the whole
// source (Ctrl+E).
class MapAndEventMarks : public QObject {
  Q_OBJECT
 public:
  MapAndEventMarks(CKestrelDlg& dlg, const PlayerEngineOps& ops, PlayerEngineState* engine);
  ~MapAndEventMarks() override;

  // Makes the map window (with the children) and its view of the frames.
  void CreateMap();
  // The map upkeep of the tick: the marks sent once the page is ready.
  void MapUpkeep();
  // The tick while stopped or paused: the map area follows the reachability.
  void MapTickWhileStill();
  void OnMapReady();
  // Shows the settings file's tile source in the map from now on.
  void TakeTileSource();
  void OnMapMarkClicked(int frame);
  // The map status of the play state (0 playing, 1 paused, 2 stopped), sent.
  void PushMapStatus(int state);
  void DrawMapArea(QPainter& painter);
  // Rebuilds the event list of recording `index`, redraws the graph and
  // sends the map its route and pins; false only while the map's page is
  // not initialised (the list is built all the same).
  bool BuildEventMarks(int index);
  // BuildEventMarks for a recording just opened: the map's marks count as
  // built when they were sent.
  void RebuildMarksOfOpen(int index) { marksBuilt_ = BuildEventMarks(index); }
  // Sends the map page the rebuild sequence and one mark per event of the
  // recording at `index`; false while the page is not initialised.
  bool SendEventMarksToMap(int index);
  // The event list emptied (a movie closes).
  void ClearEventList();
  // The map's position is no longer set (a movie closed).
  void ForgetMapPosition() { mapPositionSet_ = false; }
  // The play command takes the map's page as ready.
  void TakePageAsReady() { mapPageReady_ = true; }

  // Previous/next event from the graph cursor, the information panel's axis
  // switches and the settings dialog's four kinds of marks.
  void OnPrevEvent();
  void OnNextEvent();
  void OnAxisToggle(int channel, int state);
  void OnIconKind(int index, int state);
  // The event list of the whole open source (Ctrl+E), made on first use.
  void OpenEventList();
  // Once the chosen event's recording is open, seeks to the event's record.
  void SeekToPendingEvent();

  CGoogleMapDlgWrap* map() const { return map_.get(); }
  bool mapUnavailable() const { return mapUnavailable_; }
  // The map's event marks are sent for the current recording.
  bool marksBuilt() const { return marksBuilt_; }
  bool mapPageReady() const { return mapPageReady_; }
  // Whether event channel 0..7 is shown on the G-sensor graph and sent to
  // the map.
  bool channelShown(int channel) const { return channelSwitches_.at(channel).shownOnGraph; }
  bool channelSentToMap(int channel) const { return channelSwitches_.at(channel).sentToMap; }
  // The event marks of the open recording, for the map and previous/next
  // event.
  const std::vector<EventMark>& eventList() const { return eventList_; }
  CEventListDlg* eventListDlg() const { return eventListDlg_; }
  // Serialises the rebuilding of the map's event marks.
  std::recursive_mutex& cpSetMutex() const { return *mutexCpSet_; }

 private:
  // The group track of the list's recordings, read again when the list changed.
  void UpdateMapGroup();
  // Gives the graph the switches and the open recording's track state.
  void UpdateGraphState();
  // The event list's choice: opens the recording and, once it is open,
  // seeks to the event's record.
  void ShowEvent(const QString& path, qint64 offsetMs);
  int RowOf(const QString& path) const;

  CKestrelDlg& dlg_;
  const PlayerEngineOps& ops_;
  PlayerEngineState* engine_;
  // Serialises the rebuilding of the map's event marks.
  std::recursive_mutex* mutexCpSet_ = nullptr;

  std::unique_ptr<CGoogleMapDlgWrap> map_;
  std::unique_ptr<MapPositionView> mapPositionView_;
  std::vector<std::filesystem::path> mapGroupPaths_;
  bool marksBuilt_ = false;
  bool mapPageReady_ = false;
  bool mapPositionSet_ = false;
  bool pictureShown_ = false;
  bool mapUnavailable_ = false;
  // Shown on the G-sensor graph and sent to the map, per event channel.
  EventChannelSwitches channelSwitches_{};
  // The open recording's event marks (guarded by "hMutexCpSet").
  std::vector<EventMark> eventList_;
  CEventListDlg* eventListDlg_ = nullptr;
  // The event chosen in the event list while its recording opens.
  struct PendingEvent {
    QString path;
    std::int32_t sequence = 0;
  };
  std::optional<PendingEvent> pendingEvent_;
};

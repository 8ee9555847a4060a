#pragma once

// The clip's start and end marks in the recordings of the open source.

#include <QString>
#include <filesystem>
#include <optional>
#include <vector>

#include "catalogue/clip_stretch.h"
#include "player/player_engine_ops.h"
#include "player/player_engine_state.h"

class CKestrelDlg;

// The start (`i`) and the end (`o`) of a clip, each a picture of a
// recording of the source. A mark in the recording on show is a tick on the
// seek slider; a mark in another recording is named, with its time on the
// recorder's clock, beside the rate. Both go when the source changes.
class ClipMarks {
 public:
  ClipMarks(CKestrelDlg& dlg, const PlayerEngineOps& ops, PlayerEngineState* engine);

  // Marks the picture on show as the start (true) or the end; nothing when
  // no picture of the open recording can be named.
  void Set(bool start);
  void Clear();
  // The ticks and the note for the recording on show, after an open.
  void Show();
  // The marks' note for the rate label: "開始 08:31:02" for a mark outside
  // the recording on show.
  QString Note() const;

  // The stretch between the marks; an error while a mark is missing.
  StretchResult Stretch() const;
  // Whether the stretch was whole when a mark was last set (the popup menu
  // asks on every opening, and the source is not walked each time).
  bool Ready() const { return ready_; }
  // The moment on show in the open recording; nothing without one.
  std::optional<ClipMoment> ShownMoment() const;
  // The source's recordings in list order.
  std::vector<std::filesystem::path> SourceRecordings() const;

 private:
  struct Mark {
    ClipMark picture;
    int sliderFrame = 0;  // where the slider stood on the picture
    QString clock;        // "08:31:02"
  };
  // The recording on show; empty without one.
  std::filesystem::path ShownRecording() const;

  CKestrelDlg& dlg_;
  const PlayerEngineOps& ops_;
  PlayerEngineState* engine_;
  std::optional<Mark> start_;
  std::optional<Mark> end_;
  bool ready_ = false;
};

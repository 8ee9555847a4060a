#pragma once

#include <QComboBox>
#include <QDialog>
#include <QTimer>
#include <array>
#include <functional>

#include "views/frame_view.h"
#include "views/meter_rules.h"

// The vehicle meters: a translucent window of three dial meters, each with a
// drop-down list of the five kinds under it. The needles move towards the
// values of the frame on screen, one step per 50 ms tick of the meter's
// timer. Closing the window stops the timers and posts kMessageClosed to its
// owner; the next Start restarts the meters where the window stands.
class CObdDlg : public QDialog, public FrameView {
  Q_OBJECT
 public:
  static constexpr int kMessageClosed = 0x8578;
  static constexpr int kFirstListId = 1003;
  static constexpr int kSlotCount = 3;
  static constexpr int kTickMs = 50;

  explicit CObdDlg(QWidget* parent = nullptr);

  // The window the meters belong to: placed beside it, told of the closing.
  void SetOwner(QWidget* owner) { owner_ = owner; }
  // Tells whether a recording is playing (the lists are locked meanwhile).
  void SetPlayingQuery(std::function<bool()> isPlaying) { isPlaying_ = std::move(isPlaying); }

  // Sizes and places the window the first time, selects the default kinds
  // and restarts the three meters.
  void Start(int width, int height);

  // The unit of the speed meter; at first the one chosen for this run.
  void SetSpeedUnit(SpeedUnit unit) { speedUnit_ = unit; }
  SpeedUnit speedUnit() const { return speedUnit_; }

  // Takes the throttle, engine-speed, manifold, coolant and speed words.
  void SetValues(std::uint16_t throttle, std::uint16_t rpm, std::uint16_t manifold,
                 std::uint16_t coolant, std::uint16_t speed);
  // Takes words 7, 2, 1, 0 and 3 of the frame's vehicle record; a frame
  // without one counts as all words missing.
  void ShowFrame(const FrameValues& values) override;

  // One tick of a slot's timer (what the timer runs every 50 ms).
  void OnTimer(int slot);

  QComboBox* list(int slot) const { return slots_.at(slot).list; }
  const QTimer& timer(int slot) const { return slots_.at(slot).timer; }
  // The value the slot's needle shows now.
  int needleValue(int slot) const;
  bool animating(int slot) const { return slots_.at(slot).animating; }
  int meterOffset() const { return offset_; }
  // Returns the slot's meter rectangle in client coordinates.
  QRect meterRect(int slot) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  struct MeterSlot {
    QComboBox* list = nullptr;
    int kind = -1;
    int shown = 0;
    int current = 0;
    int target = 0;
    bool animating = false;
    bool firstUpdateDone = false;
    QTimer timer;
  };

  void CreateLists();
  void OnListChanged(int slot);
  bool Playing() const { return isPlaying_ && isPlaying_(); }

  std::array<MeterSlot, kSlotCount> slots_;
  MeterValues values_ = NoDataMeterValues();
  QWidget* owner_ = nullptr;
  std::function<bool()> isPlaying_;
  SpeedUnit speedUnit_ = SpeedUnit::kKmh;
  bool placed_ = false;
  bool listsCreated_ = false;
  int offset_ = 1;
};

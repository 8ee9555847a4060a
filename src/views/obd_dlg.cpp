#include "views/obd_dlg.h"

#include <QCloseEvent>
#include <QPainter>
#include <algorithm>

#include "base/app_message.h"
#include "base/display_choices.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "views/meter_face.h"

namespace {

constexpr int kTitleText = 140;
constexpr int kOpacity = 229;
// Where the window first stands: this far right of and below the owner's
// upper-left corner.
constexpr QPoint kPlacementOffset(6, 407);
constexpr int kMetersHeight = 183;
constexpr int kMeterSlotHeight = 151;
constexpr std::array<int, 3> kMeterLeft{2, 214, 426};
constexpr std::array<int, 3> kListLeft{17, 229, 441};
constexpr int kListWidth = 180;
constexpr std::array<int, 3> kDefaultKinds{0, 1, 2};

// The meter kinds' names: UI text slots from this one on.
constexpr int kFirstKindText = 217;

}  // namespace

CObdDlg::CObdDlg(QWidget* parent) : QDialog(parent), speedUnit_(shownSpeedUnit()) {
  setFont(fontNormal());
  setWindowTitle(UiText(kTitleText));
  setWindowOpacity(kOpacity / 255.0);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    slots_[slot].timer.setInterval(kTickMs);
    connect(&slots_[slot].timer, &QTimer::timeout, this, [this, slot] { OnTimer(slot); });
  }
}

void CObdDlg::Start(int width, int height) {
  if (!placed_) {
    resize(width, height);
    if (owner_ != nullptr) move(owner_->frameGeometry().topLeft() + kPlacementOffset);
    placed_ = true;
  }
  offset_ = std::max(1, (height - kMetersHeight) / 2);
  if (!listsCreated_) CreateLists();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    MeterSlot& meter = slots_[slot];
    const QSignalBlocker block(meter.list);
    meter.list->setCurrentIndex(kDefaultKinds[slot]);
    meter.animating = false;
    meter.firstUpdateDone = false;
    meter.list->setEnabled(true);
    meter.kind = meter.list->currentIndex();
    meter.shown = NoDataMeterValues()[meter.kind];
    meter.current = meter.target = meter.shown;
    meter.timer.start();
  }
  update();
}

void CObdDlg::CreateLists() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    auto* list = new QComboBox(this);
    list->setObjectName(QStringLiteral("list%1").arg(kFirstListId + slot));
    for (int kind = 0; kind < kMeterKindCount; ++kind) list->addItem(UiText(kFirstKindText + kind));
    list->setMaxVisibleItems(kMeterKindCount);
    list->setAccessibleName(QStringLiteral("%1 %2").arg(UiText(kTitleText)).arg(slot + 1));
    list->setToolTip(list->accessibleName());
    list->setGeometry(kListLeft[slot], offset_ + kMeterSlotHeight + 2, kListWidth,
                      list->sizeHint().height());
    list->show();
    connect(list, &QComboBox::currentIndexChanged, this, [this, slot] { OnListChanged(slot); });
    slots_[slot].list = list;
  }
  listsCreated_ = true;
}

void CObdDlg::OnListChanged(int slot) {
  MeterSlot& meter = slots_[slot];
  const int kind = meter.list->currentIndex();
  if (kind < 0 || kind >= kMeterKindCount) return;
  meter.firstUpdateDone = false;
  meter.animating = false;
  meter.shown = NoDataMeterValues()[kind];
  if (Playing()) meter.list->setEnabled(false);
  meter.kind = kind;
  meter.timer.start();
  update(meterRect(slot));
}

void CObdDlg::SetValues(std::uint16_t throttle, std::uint16_t rpm, std::uint16_t manifold,
                        std::uint16_t coolant, std::uint16_t speed) {
  values_ = MeterValuesFromWords(throttle, rpm, manifold, coolant, speed, speedUnit_);
}

void CObdDlg::ShowFrame(const FrameValues& values) {
  if (!values.vehicle) {
    SetValues(kMissingVehicleWord, kMissingVehicleWord, kMissingVehicleWord, kMissingVehicleWord,
              kMissingVehicleWord);
    return;
  }
  const auto& words = values.vehicle->words;
  SetValues(words[7], words[2], words[1], words[0], words[3]);
}

void CObdDlg::OnTimer(int slot) {
  const bool playing = Playing();
  for (const MeterSlot& meter : slots_) {
    if (meter.list != nullptr) meter.list->setEnabled(!playing || meter.kind < 0);
  }
  MeterSlot& meter = slots_.at(slot);
  if (meter.list == nullptr) return;
  const int kind = meter.list->currentIndex();
  if (kind < 0 || kind >= kMeterKindCount) return;
  if (meter.animating) {
    if (meter.current == meter.target) {
      meter.animating = false;
      meter.shown = meter.target;
    } else {
      meter.current = NextAnimationValue(kind, meter.current, meter.target);
      update(meterRect(slot));
    }
    return;
  }
  const int value = LimitMeterValue(kind, values_[kind], speedUnit_);
  if (value != meter.shown || !meter.firstUpdateDone) {
    meter.animating = true;
    meter.current = meter.shown;
    meter.target = value;
    meter.current = NextAnimationValue(kind, meter.current, meter.target);
    update(meterRect(slot));
  }
  meter.firstUpdateDone = true;
}

int CObdDlg::needleValue(int slot) const {
  const MeterSlot& meter = slots_.at(slot);
  return meter.animating ? meter.current : meter.shown;
}

QRect CObdDlg::meterRect(int slot) const {
  return QRect(kMeterLeft.at(slot), offset_, kMeterWidth, kMeterSlotHeight);
}

void CObdDlg::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const MeterSlot& meter = slots_[slot];
    if (meter.kind < 0 || meter.kind >= kMeterKindCount) continue;
    QImage work(kMeterWidth, kMeterHeight, QImage::Format_RGB32);
    work.fill(Qt::black);
    QPainter area(&work);
    DrawDialFace(area, meter.kind, speedUnit_);
    DrawNeedle(area, NeedleAngle(meter.kind, needleValue(slot), speedUnit_));
    area.end();
    painter.drawImage(meterRect(slot).topLeft(), work, QRect(0, 0, kMeterWidth, kMeterSlotHeight));
  }
}

void CObdDlg::closeEvent(QCloseEvent* event) {
  for (MeterSlot& meter : slots_) meter.timer.stop();
  if (owner_ != nullptr) PostAppMessage(owner_, kMessageClosed, 0, 0);
  event->accept();
}

void CObdDlg::reject() { close(); }

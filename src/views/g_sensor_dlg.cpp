#include "views/g_sensor_dlg.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "base/app_message.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "container/sensor_track.h"
#include "views/g_sensor_art.h"
#include "views/g_sensor_plan.h"

namespace {

constexpr int kTileWidth = kGraphBackgroundWidth - kGraphLabelColumn;
const QColor kBand(170, 0, 0, 127);
constexpr int kLabelBox = 16;
const std::array<QColor, 3> kAxisPens = {QColor(0, 255, 0), QColor(255, 0, 0),
                                         QColor(128, 128, 255)};

// The label and its row above the base line, by icon; the star (icon 9) is
// a picture in row 4.
struct MarkLabel {
  const char* text;
  int row;
};
constexpr std::array<MarkLabel, kIconCount> kMarkLabels = {{
    {"G", 1},
    {"G", 1},
    {"G", 0},
    {"G", 2},
    {"G", 2},
    {"M", 3},
    {"※", 3},
    {"P", 3},
    {"#", 3},
    {"", 4},
    {"▲", 5},
    {"▼", 6},
}};

}  // namespace

CGSensorDlg::CGSensorDlg(QWidget* parent) : QWidget(parent), star_(MarkStar()) {
  for (int i = 0; i < 4; ++i) backgrounds_[static_cast<std::size_t>(i)] = GraphBackground(i);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAccessibleName(UiText(232));  // "Gセンサー"
}

void CGSensorDlg::SetTrack(const SensorTrack* track, std::recursive_mutex* lock) {
  track_ = track;
  trackLock_ = lock;
}

void CGSensorDlg::SetScaleIndex(int index) { scaleIndex_ = std::clamp(index, 0, 3); }

void CGSensorDlg::Reset() {
  dataPresent_ = false;
  cursorFrame_ = 0;
  update();
}

void CGSensorDlg::ShowFrame(const FrameValues& values) {
  SetCursorFrame(values.frame);
  update();
}

const QImage& CGSensorDlg::Render() {
  const QSize size = this->size();
  if (image_.size() != size) image_ = QImage(size, QImage::Format_RGB32);
  if (size.isEmpty()) return image_;
  image_.fill(Qt::black);
  QPainter p(&image_);
  DrawBackground(p, size.width());
  if (dataPresent_ && track_ != nullptr) DrawData(p);
  DrawCursor(p);
  return image_;
}

void CGSensorDlg::DrawBackground(QPainter& p, int width) {
  const QImage& background = backgrounds_[static_cast<std::size_t>(scaleIndex_)];
  for (int c = 0; kTileWidth * c < width; ++c) {
    p.drawImage(((width - kTileWidth * c) / 5) * 5, 0, background);
  }
  p.drawImage(0, 0, background);
}

void CGSensorDlg::DrawData(QPainter& p) {
  GraphInput input;
  input.geometry.clientWidth = width();
  input.geometry.clientHeight = height();
  input.geometry.graphHeight = kGraphBackgroundHeight;
  input.geometry.leftMargin = kLeftMargin;
  input.cursorFrame = cursorFrame_;
  input.scaleIndex = scaleIndex_;
  input.gMarks = gMarks_;
  input.switches = switches_;
  GraphPlan plan;
  {
    std::unique_lock<std::recursive_mutex> lock;
    if (trackLock_ != nullptr) lock = std::unique_lock(*trackLock_);
    plan = PlanGraph(*track_, input);
  }
  if (!plan.drawn) return;
  const int half = kGraphBackgroundHeight / 2;
  p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
  for (std::size_t axis = 0; axis < plan.curves.size(); ++axis) {
    const auto& curve = plan.curves[axis];
    if (curve.empty()) continue;
    QPolygon line;
    line.reserve(static_cast<int>(curve.size()));
    for (const CurvePoint& point : curve)
      line << QPoint(kLeftMargin + point.x, half - point.offset);
    p.setPen(kAxisPens[axis]);
    if (line.size() == 1) {
      p.drawPoint(line.front());
    } else {
      p.drawPolyline(line);
    }
  }
  // The band's columns are blended once each, however many frames cover them.
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  const int bandTop = height() - kBandHeight;
  for (std::size_t x = 0; x < plan.band.size();) {
    if (!plan.band[x]) {
      ++x;
      continue;
    }
    std::size_t end = x;
    while (end < plan.band.size() && plan.band[end]) ++end;
    p.fillRect(static_cast<int>(x), bandTop, static_cast<int>(end - x), kBandHeight, kBand);
    x = end;
  }
  p.setFont(fontSmall());
  const int base = kGraphBackgroundHeight - 5;
  for (const GraphMark& mark : plan.marks) {
    if (mark.column < kLeftMargin || mark.icon < 0 || mark.icon >= kIconCount) continue;
    const MarkLabel& label = kMarkLabels[static_cast<std::size_t>(mark.icon)];
    const int top = base - label.row * kLabelRowHeight;
    p.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    p.setPen(MarkPenColour(mark.icon));
    p.drawLine(mark.column, height(), mark.column, 0);
    p.setPen(Qt::white);
    if (mark.icon == 9) {
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      p.drawImage(mark.column + 1, top, star_);
    } else {
      p.drawText(QRect(mark.column + 1, top, kLabelBox, kLabelBox),
                 Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, QString::fromUtf8(label.text));
    }
  }
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void CGSensorDlg::DrawCursor(QPainter& p) {
  if (!cursorShown_) return;
  const float s = frameCount_ > 0
                      ? static_cast<float>(width() - kLeftMargin) / static_cast<float>(frameCount_)
                      : 0.0f;
  const int x = static_cast<int>(static_cast<float>(cursorFrame_) * s) + kLeftMargin;
  p.setPen(Qt::white);
  p.drawLine(x, 0, x, height());
}

void CGSensorDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, Render());
}

// The graph takes the presses of the buttons it acts on, so that their
// releases come back to it rather than to the window behind it.
void CGSensorDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void CGSensorDlg::mouseReleaseEvent(QMouseEvent* event) {
  if (messageTarget_ != nullptr) {
    if (event->button() == Qt::LeftButton) PostAppMessage(messageTarget_, kMessagePrevEvent);
    if (event->button() == Qt::RightButton) PostAppMessage(messageTarget_, kMessageNextEvent);
  }
  QWidget::mouseReleaseEvent(event);
}

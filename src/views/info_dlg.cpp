#include "views/info_dlg.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "base/app_message.h"
#include "base/display_choices.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"

namespace {

const QColor kPanelColour(0x20, 0x20, 0x20);
const QColor kLabelColour(0xC8, 0xC8, 0xC8);
const QColor kPlaceholderColour(0x58, 0x58, 0x58);
// Text colours of the three axes.
const std::array<QColor, 3> kAxisColours{QColor(0, 255, 0), QColor(255, 0, 0),
                                         QColor(128, 128, 255)};
// UI text slots of the axis labels: "前後(X軸)", "左右(Y軸)", "上下(Z軸)".
constexpr std::array<int, 3> kAxisLabelTexts{65, 66, 67};

// Where the pieces of one layout go, relative to the panel.
struct PanelPlaces {
  QPoint axisLabel;  // first axis label; the others follow axisStep apart
  int axisStep;
  QPoint axisValue;  // first value, under or beside its label
  QRect dateTime;
  QRect speedValue;
  QRect speedUnit;
  QRect fixIcon;
  QRect qualityBadge;
  QRect cameraIcon;
  bool large;
};

PanelPlaces PlacesFor(int layout, const QRect& area) {
  const int right = area.right();
  const int top = area.top();
  switch (layout) {
    case 1:
      return {{area.left() + 26, top + 14},          160,
              {area.left() + 26, top + 30},          {right - 330, top + 8, 320, 34},
              {right - 250, top + 50, 150, 44},      {right - 96, top + 62, 70, 28},
              {area.left() + 520, top + 12, 26, 26}, {area.left() + 552, top + 12, 44, 26},
              {area.left() + 602, top + 12, 26, 26}, true};
    case 2:  // one strip, 38 pixels high: the values, the icons, the date, the speed
      return {{area.left() + 4, top + 12},           96,
              {area.left() + 4, top + 14},           {area.left() + 376, top, 150, 36},
              {right - 116, top + 2, 66, 32},        {right - 46, top + 10, 44, 22},
              {area.left() + 292, top + 10, 18, 18}, {area.left() + 314, top + 10, 34, 18},
              {area.left() + 352, top + 10, 18, 18}, false};
    default:
      return {{area.left() + 42, top + 41},         120,
              {area.left() + 26, top + 4},          {right - 232, top + 6, 224, 24},
              {right - 162, top + 32, 100, 30},     {right - 60, top + 38, 52, 22},
              {area.left() + 378, top + 8, 18, 18}, {area.left() + 400, top + 8, 34, 18},
              {area.left() + 438, top + 8, 18, 18}, false};
  }
}

// The placeholder drawn where a value is missing: a grey bar of dashes.
void DrawPlaceholder(QPainter& p, const QRect& box) {
  const int h = std::max(3, box.height() / 6);
  const int w = box.width() * 2 / 3;
  p.fillRect(QRect(box.left(), box.center().y() - h / 2, w, h), kPlaceholderColour);
}

QString QualityBadgeText(int quality) {
  switch (quality) {
    case 1:
    case 2:
      return QStringLiteral("SD");
    case 3:
    case 4:
      return QStringLiteral("HD");
    case 5:
    case 6:
      return QStringLiteral("FHD");
    default:
      return {};
  }
}

void DrawFixIcon(QPainter& p, const QRect& box) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x3C, 0xC8, 0x50));
  p.drawEllipse(box.adjusted(2, 2, -2, -2));
  p.setBrush(Qt::white);
  p.drawEllipse(box.center(), box.width() / 6, box.height() / 6);
}

// Returns whether a badge was drawn (a known quality code).
bool DrawQualityBadge(QPainter& p, const QRect& box, int quality) {
  const QString text = QualityBadgeText(quality);
  if (text.isEmpty()) return false;
  p.setPen(QColor(0xF0, 0xC0, 0x40));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(box.adjusted(0, 0, -1, -1), 3, 3);
  p.setFont(fontSmall());
  p.drawText(box, Qt::AlignCenter, text);
  return true;
}

// The camera icon: lit when the badge was drawn, grey otherwise.
void DrawCameraIcon(QPainter& p, const QRect& box, bool lit) {
  const QColor colour = lit ? QColor(0xF0, 0xF0, 0xF0) : kPlaceholderColour;
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  const QRect body = box.adjusted(1, box.height() / 4, -box.width() / 3, -box.height() / 4);
  p.drawRect(body);
  QPainterPath lens;
  lens.moveTo(body.right(), body.center().y());
  lens.lineTo(box.right(), body.top());
  lens.lineTo(box.right(), body.bottom());
  lens.closeSubpath();
  p.drawPath(lens);
}

}  // namespace

CInfoDlg::CInfoDlg(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  values_.speedUnit = shownSpeedUnit();
  for (int axis = 0; axis < 3; ++axis) {
    auto* button = new QPushButton(this);
    button->setObjectName(QString::number(kFirstToggleId + axis));
    button->setAccessibleName(UiText(kAxisLabelTexts[axis]));
    button->setCheckable(true);
    button->setChecked(true);
    button->setFont(fontSmall());
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(26 + kToggleSpacing * axis, 30, kToggleSize, kToggleSize);
    button->setStyleSheet(QStringLiteral("QPushButton{border:1px solid #888;background:#333;}"
                                         "QPushButton:checked{background:%1;}")
                              .arg(kAxisColours[axis].name()));
    connect(button, &QPushButton::clicked, this, [this, axis] { OnToggle(axis); });
    toggles_[axis] = button;
  }
}

void CInfoDlg::Reset() {
  values_.speed = -1.0;
  values_.accelX = values_.accelY = values_.accelZ = -5.0;
  values_.frame = -1;
  values_.fixValid = 0;
  values_.quality = 0;
  repaint();
}

void CInfoDlg::SetAccel(double x, double y, double z) {
  values_.accelX = x;
  values_.accelY = y;
  values_.accelZ = z;
}

void CInfoDlg::ShowFrame(const FrameValues& v) {
  if (v.accel) {
    SetAccel(v.accel->x, v.accel->y, v.accel->z);
    values_.eventWord = v.accel->event;
    if (v.position) {
      values_.speed = v.position->valid != 0 ? v.position->speed : -1.0;
      values_.fixValid = v.position->valid;
    } else {
      values_.fixValid = 0;
    }
  } else {
    SetAccel(-5.0, -5.0, -5.0);
    values_.fixValid = 0;
  }
  values_.frame = v.frame;
}

void CInfoDlg::SetStartTime(const CalendarTime& start) {
  values_.startTime = start;
  values_.hasStart = 1;
}

void CInfoDlg::SetPanelLayout(int layout) {
  layout_ = layout;
  for (QPushButton* button : toggles_) button->setVisible(layout == 0);
  update();
}

void CInfoDlg::OnToggle(int axis) {
  axisShown_[axis] = axisShown_[axis] != 0 ? 0 : 1;
  toggles_[axis]->setChecked(axisShown_[axis] != 0);
  if (messageTarget_ != nullptr) {
    PostAppMessage(messageTarget_, kMessageAxisToggle, axis, axisShown_[axis]);
  }
}

int CInfoDlg::AxisLabelAt(QPoint point) const {
  // Only the panel's own layout shows the toggles.
  if (layout_ != 0) return -1;
  const PanelPlaces places = PlacesFor(layout_, rect());
  const QFontMetrics metrics(fontSmall());
  for (int axis = 0; axis < 3; ++axis) {
    const QPoint baseline = places.axisLabel + QPoint(places.axisStep * axis, 0);
    const QRect label(baseline.x(), baseline.y() - metrics.ascent(),
                      metrics.horizontalAdvance(UiText(kAxisLabelTexts[axis])),
                      metrics.height());
    if (label.contains(point)) return axis;
  }
  return -1;
}

// A click on an axis's label toggles the axis as its toggle does.
void CInfoDlg::mousePressEvent(QMouseEvent* event) {
  pressedLabel_ = event->button() == Qt::LeftButton ? AxisLabelAt(event->position().toPoint()) : -1;
  if (pressedLabel_ < 0) {
    QWidget::mousePressEvent(event);
    return;
  }
  event->accept();
}

void CInfoDlg::mouseReleaseEvent(QMouseEvent* event) {
  const int pressed = pressedLabel_;
  pressedLabel_ = -1;
  if (pressed < 0 || event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  if (AxisLabelAt(event->position().toPoint()) == pressed) OnToggle(pressed);
}

void CInfoDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kPanelColour);
  DrawContents(painter, rect());
}

void CInfoDlg::DrawContents(QPainter& p, const QRect& area) const {
  const PanelPlaces places = PlacesFor(layout_, area);
  const QFont labelFont = places.large ? fontNormal() : fontSmall();
  const QFont valueFont = places.large ? fontLarge() : fontMedium();
  const std::array<double, 3> accel{values_.accelX, values_.accelY, values_.accelZ};
  for (int axis = 0; axis < 3; ++axis) {
    const int dx = places.axisStep * axis;
    p.setFont(labelFont);
    p.setPen(kLabelColour);
    p.drawText(places.axisLabel + QPoint(dx, 0), UiText(kAxisLabelTexts[axis]));
    const QRect valueBox(places.axisValue + QPoint(dx, 0), QSize(places.axisStep - 10, 22));
    if (const auto text = InfoAccelText(accel[axis])) {
      p.setFont(valueFont);
      p.setPen(kAxisColours[axis]);
      p.drawText(valueBox, Qt::AlignLeft | Qt::AlignVCenter, *text);
    } else {
      DrawPlaceholder(p, valueBox);
    }
  }

  p.setFont(places.large ? fontMedium() : fontNormal());
  p.setPen(Qt::white);
  if (const auto text = InfoDateTimeText(values_)) {
    p.drawText(places.dateTime, Qt::AlignRight | Qt::AlignVCenter, *text);
  } else {
    DrawPlaceholder(p, places.dateTime.adjusted(places.dateTime.width() / 3, 0, 0, 0));
  }

  if (const auto text = InfoSpeedText(values_)) {
    p.setFont(places.large ? fontTitle() : fontLarge());
    p.setPen(Qt::white);
    p.drawText(places.speedValue, Qt::AlignRight | Qt::AlignVCenter, *text);
  } else {
    DrawPlaceholder(p, places.speedValue.adjusted(places.speedValue.width() / 3, 0, 0, 0));
  }
  p.setFont(fontSmall());
  p.setPen(kLabelColour);
  p.drawText(places.speedUnit, Qt::AlignLeft | Qt::AlignVCenter,
             QString::fromLatin1(SpeedUnitLabel(values_.speedUnit)));

  if (values_.fixValid != 0) DrawFixIcon(p, places.fixIcon);
  const bool badge = DrawQualityBadge(p, places.qualityBadge, values_.quality);
  DrawCameraIcon(p, places.cameraIcon, badge);
}

#include "views/setting_dlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "base/app_message.h"
#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "base/viewer_version.h"

namespace {

constexpr QSize kSize(460, 400);

// A rectangle by its left, top, right and bottom edges (right and bottom
// outside it).
constexpr QRect Edges(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

// UI text slots.
constexpr int kTitleText = 16;
constexpr int kIconGroupText = 129;
constexpr int kVersionGroupText = 128;

struct KindBox {
  QRect rect;
  int text;
};

// The icon kinds in index order: drive support, emergency stop, parking
// impact, speeding.
constexpr std::array<KindBox, CSettingDlg::kKindCount> kKindBoxes = {{
    {Edges(40, 40, 200, 80), 116},
    {Edges(40, 100, 200, 140), 125},
    {Edges(240, 40, 400, 80), 126},
    {Edges(240, 100, 400, 140), 130},
}};

constexpr QRect kIconGroup(QPoint(10, 10), QPoint(439, 169));
constexpr QRect kVersionGroup(QPoint(10, 170), QPoint(439, 279));
constexpr QRect kVersionRect(QPoint(20, 190), QPoint(429, 249));
constexpr QRect kOkRect(255, 355, 85, 26);
constexpr QRect kCancelRect(350, 355, 85, 26);

QGroupBox* AddGroup(QWidget* parent, int text, const QRect& rect) {
  auto* group = new QGroupBox(UiText(text), parent);
  group->setGeometry(rect);
  group->lower();
  return group;
}

}  // namespace

CSettingDlg::CSettingDlg(QObject* messageTarget, QWidget* parent)
    : QDialog(parent), messageTarget_(messageTarget) {
  setFont(fontNormal());
  setWindowTitle(UiText(kTitleText));
  setFixedSize(kSize);

  AddGroup(this, kIconGroupText, kIconGroup);
  AddGroup(this, kVersionGroupText, kVersionGroup);
  for (int index = 0; index < kKindCount; ++index) {
    auto* box = new QCheckBox(UiText(kKindBoxes[index].text), this);
    box->setObjectName(QString::number(kFirstKindCommand + index));
    box->setGeometry(kKindBoxes[index].rect);
    box->setChecked(true);
    connect(box, &QCheckBox::clicked, this,
            [this, index](bool ticked) { OnKindClicked(index, ticked); });
    kindBoxes_[index] = box;
  }

  versionText_ = new QLabel(VersionText(), this);
  versionText_->setObjectName(QString::number(kVersionTextId));
  versionText_->setGeometry(kVersionRect);
  versionText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  versionText_->setAccessibleName(versionText_->text());

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setGeometry(kOkRect);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
  cancel->setGeometry(kCancelRect);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.center() - QPoint(kSize.width() / 2, kSize.height() / 2));
  }
}

QCheckBox* CSettingDlg::kindBox(int index) const {
  if (index < 0 || index >= kKindCount) return nullptr;
  return kindBoxes_[index];
}

QString CSettingDlg::VersionText(const char* buildDate) {
  const QStringList words = QString::fromLatin1(buildDate != nullptr ? buildDate : "")
                                .split(QLatin1Char(' '), Qt::SkipEmptyParts);
  const QString notice =
      words.isEmpty()
          ? QStringLiteral("Copyright (C) the Kestrel Viewer project")
          : QStringLiteral("Copyright (C) %1 the Kestrel Viewer project").arg(words.last());
  return QStringLiteral("version %1\n").arg(QString::fromLatin1(kViewerVersion)) + notice;
}

void CSettingDlg::OnKindClicked(int index, bool ticked) {
  if (messageTarget_ == nullptr) return;
  PostAppMessage(messageTarget_, kMessageIconKind, index, ticked ? 1 : 0);
}

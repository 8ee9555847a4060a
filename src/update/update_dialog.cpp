#include "update/update_dialog.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTextDocumentFragment>
#include <QUrl>
#include <algorithm>

#include "base/shared_fonts.h"
#include "base/ui_text.h"
#include "update/version_rules.h"

namespace {

constexpr int kTitleText = 108;
constexpr int kCloseText = 0;
constexpr QSize kTemplateSize(480, 260);
constexpr QSize kStandAloneSize(640, 320);
constexpr int kLinkMargin = 15;
// The dialog's height beyond its text: the margins and the button strip.
constexpr int kTextAreaSlack = 85;
constexpr int kButtonAreaHeight = 50;
constexpr QSize kButtonSize(90, 28);
constexpr int kButtonRightGap = 20;
constexpr int kButtonBottomGap = 10;

}  // namespace

CUpdateDialog::CUpdateDialog(const QString& linkText, bool standAlone, QWidget* parent)
    : QDialog(parent) {
  setFont(fontNormal());
  setWindowTitle(UiText(kTitleText));
  link_ = new QLabel(this);
  link_->setObjectName(QStringLiteral("link%1").arg(kLinkId));
  link_->setFont(fontNormal());
  link_->setTextFormat(Qt::RichText);
  link_->setWordWrap(true);
  link_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  link_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  link_->setOpenExternalLinks(false);
  link_->setText(RichTextOf(linkText));
  // A screen reader reads the message itself, without its markup.
  link_->setAccessibleName(QTextDocumentFragment::fromHtml(link_->text()).toPlainText());
  link_->setStyleSheet(QStringLiteral("background: white; color: black;"));
  connect(link_, &QLabel::linkActivated, this, &CUpdateDialog::OnLinkClicked);

  close_ = new QPushButton(UiText(kCloseText), this);
  close_->setAccessibleName(UiText(kCloseText));
  connect(close_, &QPushButton::clicked, this, &QDialog::close);

  QSize size = standAlone ? kStandAloneSize : kTemplateSize;
  // The dialog grows to hold its whole text (two updates are two blocks),
  // within the screen.
  const int textWidth = size.width() - 2 * kLinkMargin;
  const int textHeight = link_->heightForWidth(textWidth);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int screenHeight = screen != nullptr ? screen->availableGeometry().height() : size.height();
  size.setHeight(std::clamp(textHeight + kTextAreaSlack, size.height(),
                            std::max(size.height(), screenHeight)));
  resize(size);
  if (standAlone) {
    setWindowIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    if (screen != nullptr) {
      move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
    }
  }
  link_->setGeometry(kLinkMargin, kLinkMargin, textWidth, size.height() - kTextAreaSlack);
  close_->setGeometry(size.width() - kButtonRightGap - kButtonSize.width(),
                      size.height() - kButtonBottomGap - kButtonSize.height(), kButtonSize.width(),
                      kButtonSize.height());
}

QString CUpdateDialog::RichTextOf(const QString& linkText) {
  QString body = linkText;
  body.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
  return QStringLiteral("<p style=\"white-space: pre-wrap;\">") + body + QStringLiteral("</p>");
}

void CUpdateDialog::OnLinkClicked(const QString& url) {
  if (!IsOpenableLink(url.toStdString())) return;
  QDesktopServices::openUrl(QUrl(url));
}

void CUpdateDialog::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  painter.fillRect(QRect(0, 0, width(), height() - kButtonAreaHeight), Qt::white);
}

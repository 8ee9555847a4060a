#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

// The link message dialog of the update check and of the web engine's
// notice: a text with links on white and a "閉じる" button. The text is
// markup in which the only elements are <a href> links; "\r\n" breaks a
// line. A clicked link opens in the desktop's browser, http and https only.
// In stand-alone mode the dialog is 640 x 320, centred on the screen.
class CUpdateDialog : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kLinkId = 1007;

  explicit CUpdateDialog(const QString& linkText, bool standAlone = false,
                         QWidget* parent = nullptr);

  QLabel* linkControl() const { return link_; }
  QPushButton* closeButton() const { return close_; }

  // Returns the rich text the link control shows for a link text.
  static QString RichTextOf(const QString& linkText);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnLinkClicked(const QString& url);

  QLabel* link_ = nullptr;
  QPushButton* close_ = nullptr;
};

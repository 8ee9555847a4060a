#include "update/update_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/ui_text.h"
#include "temp_dir.h"
#include "update/version_rules.h"

namespace {

// Reads the lines a stub program wrote; waits up to five seconds for `count`.
std::vector<std::string> LinesOf(const std::filesystem::path& file, std::size_t count) {
  std::vector<std::string> lines;
  QElapsedTimer clock;
  clock.start();
  do {
    lines.clear();
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (lines.size() >= count) break;
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  } while (clock.elapsed() < 5000);
  return lines;
}

const QString kPage = "http://127.0.0.1:9/0_recorder/viewer/hx-tq80_81/viewer.html";

QString LinkText() {
  return UiText(107) + "\r\n\r\n" + UiText(112) + ":\r\n" + UiText(109) + "2.0.0.0   →   " +
         UiText(111) + "&lt;b&gt;\r\n\r\nURL : <a href=\"" + kPage + "\">" + kPage + "</a>";
}

TEST(UpdateDialog, ShowsTheLinkTextOnWhite) {
  CUpdateDialog dlg(LinkText());
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), UiText(108));
  EXPECT_EQ(dlg.closeButton()->text(), QString::fromUtf8("閉じる"));
  EXPECT_FALSE(dlg.closeButton()->accessibleName().isEmpty());
  const QString shown = dlg.linkControl()->text();
  EXPECT_TRUE(shown.contains("<a href=\"" + kPage + "\">"));
  EXPECT_TRUE(shown.contains("&lt;b&gt;"));
  EXPECT_FALSE(shown.contains("\r\n"));
  const QImage image = dlg.grab().toImage();
  EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::white));
  EXPECT_NE(image.pixelColor(5, dlg.height() - 5), QColor(Qt::white));  // the button strip
  dlg.closeButton()->click();
  EXPECT_FALSE(dlg.isVisible());

  CUpdateDialog notice("notice", true);
  EXPECT_EQ(notice.size(), QSize(640, 320));
  EXPECT_EQ(notice.linkControl()->geometry(), QRect(15, 15, 610, 235));
  EXPECT_EQ(notice.closeButton()->geometry().right(), 640 - 20 - 1);
  EXPECT_EQ(notice.closeButton()->geometry().bottom(), 320 - 10 - 1);
}

TEST(UpdateDialog, OpensOnlyWebLinksInTheDesktopBrowser) {
  if (QGuiApplication::platformName() == "offscreen") {
    GTEST_SKIP() << "the desktop's link handler needs an X display (the test script runs Xvfb)";
  }
  TempDir dir;
  const std::filesystem::path log = dir.path() / "opened.txt";
  const std::filesystem::path stub = dir.path() / "xdg-open";
  {
    std::ofstream script(stub);
    script << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << log.string() << "'\n";
  }
  std::filesystem::permissions(stub, std::filesystem::perms::owner_all);
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray(dir.path().c_str()) + ":" + path);

  CUpdateDialog dlg(LinkText());
  dlg.show();
  emit dlg.linkControl()->linkActivated("file:///etc/passwd");
  emit dlg.linkControl()->linkActivated("javascript:alert(1)");
  emit dlg.linkControl()->linkActivated(kPage);
  emit dlg.linkControl()->linkActivated("HTTPS://127.0.0.1:9/last");
  std::vector<std::string> opened = LinesOf(log, 2);
  std::sort(opened.begin(), opened.end());  // QUrl writes the scheme in lower case
  EXPECT_EQ(opened, (std::vector<std::string>{kPage.toStdString(), "https://127.0.0.1:9/last"}));
  qputenv("PATH", path);
}

}  // namespace

namespace {

// The text of two updates, firmware and viewer, as the check composes it,
// holds every line: the viewer's block is not cut off below the dialog.
TEST(UpdateDialog, HoldsTheWholeTextOfTwoUpdates) {
  UpdateFindings both;
  both.firmwareUpdate = true;
  both.currentFirmware = "1.0.0";
  both.newFirmware = "1.2.0";
  both.viewerUpdate = true;
  both.currentViewer = "2.0.0.0";
  both.newViewer = "2.1.0.0";
  const UpdateMessageTexts texts{UiText(107).toStdString(), UiText(109).toStdString(),
                                 UiText(110).toStdString(), UiText(111).toStdString(),
                                 UiText(112).toStdString()};
  CUpdateDialog dlg(QString::fromStdString(UpdateMessage(both, texts, "127.0.0.1:9")));
  const QLabel* link = dlg.linkControl();
  EXPECT_TRUE(link->text().contains(UiText(112)));
  EXPECT_LE(link->heightForWidth(link->width()), link->height());
  EXPECT_LT(link->geometry().bottom(), dlg.closeButton()->geometry().top());
  EXPECT_EQ(dlg.width(), 480);
}

}  // namespace

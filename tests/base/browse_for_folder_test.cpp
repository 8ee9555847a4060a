#include "base/browse_for_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <functional>

#include "base/settings_file.h"
#include "scoped_work_folder.h"

namespace {

// Once the folder dialog is up, hands it to `handle`.
void WhenDialogShows(std::function<void(QFileDialog*)> handle) {
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [timer, handle] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QFileDialog*>(widget);
      if (dialog && dialog->isVisible()) {
        timer->deleteLater();
        timer->stop();
        handle(dialog);
        return;
      }
    }
  });
  timer->start(10);
}

TEST(BrowseForFolder, StartsInTheSavedFolderAndGivesNothingOnCancel) {
  ScopedWorkFolder work;
  const QString saved = work.filePath(QStringLiteral("スナップ 1"));
  ASSERT_TRUE(QDir().mkpath(saved));
  ASSERT_TRUE(
      WriteIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("SNAPSHOT_FOLDER"), saved));
  QString startedIn;
  QString caption;
  WhenDialogShows([&](QFileDialog* dialog) {
    startedIn = dialog->directory().absolutePath();
    caption = dialog->windowTitle();
    dialog->reject();
  });
  EXPECT_EQ(BrowseForFolder(nullptr, QStringLiteral("FOLDERPATH"),
                            QStringLiteral("SNAPSHOT_FOLDER"), QStringLiteral("出力先")),
            QString());
  EXPECT_EQ(startedIn, saved);
  EXPECT_EQ(caption, QStringLiteral("出力先"));
  EXPECT_EQ(ReadIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("SNAPSHOT_FOLDER")), saved)
      << "the key is not written";
}

TEST(BrowseForFolder, StartsInTheWorkingFolderAndGivesTheChoice) {
  ScopedWorkFolder work;
  const QString chosen = work.filePath(QStringLiteral("csv"));
  ASSERT_TRUE(QDir().mkpath(chosen));
  QString startedIn;
  WhenDialogShows([&](QFileDialog* dialog) {
    startedIn = dialog->directory().absolutePath();
    dialog->setDirectory(chosen);
    QMetaObject::invokeMethod(dialog, "accept");
  });
  EXPECT_EQ(BrowseForFolder(nullptr, QStringLiteral("FOLDERPATH"), QStringLiteral("CSV_FOLDER"),
                            QStringLiteral("CSV")),
            chosen);
  EXPECT_EQ(startedIn, work.path());
  EXPECT_EQ(ReadIniString(QStringLiteral("FOLDERPATH"), QStringLiteral("CSV_FOLDER")), QString());
}

}  // namespace

#include "app/kestrel_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTimer>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "scoped_work_folder.h"

namespace {

TEST(CKestrelApp, RunsTheMainWindowAndFreesTheFontsAfterIt) {
  ScopedWorkFolder work;
  bool fontsWhileOpen = false;
  QString title;
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [&, timer] {
    QDialog* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* found = qobject_cast<QDialog*>(top); found != nullptr && found->isVisible()) {
        window = found;
      }
    }
    if (window == nullptr) return;
    timer->stop();
    timer->deleteLater();
    fontsWhileOpen = SharedFontsCreated();
    title = window->windowTitle();
    window->close();
  });
  timer->start(10);
  CKestrelApp app;
  app.Run();
  EXPECT_TRUE(fontsWhileOpen);
  EXPECT_EQ(title, QStringLiteral("Quendra3"));
  EXPECT_FALSE(SharedFontsCreated());
  EXPECT_TRUE(QFile::exists(work.filePath(QStringLiteral("Default_Folder.ini"))));
  // The web engine deletes its view's render widget on the next pass of the
  // event loop.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty()) << "the window is gone";
}

}  // namespace

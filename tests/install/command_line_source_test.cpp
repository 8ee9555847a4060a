// The viewer started with a path opens it as the source dialog's file or
// folder choice does and saves it; a path that does not exist shows the
// window with an empty list and a message.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "app/kestrel_app.h"
#include "base/settings_file.h"
#include "base/ui_text.h"
#include "browser/file_list_ctrl.h"
#include "browser/filer_container.h"
#include "card_source.h"
#include "mainwnd/kestrel_dlg.h"
#include "scoped_work_folder.h"

namespace {

constexpr int kFiles = 3;

// What the running viewer showed.
struct Shown {
  QString message;
  QStringList rows;
  QString pathField;
  QImage list;  // the list's rows area
  QImage window;
};

// Runs the viewer on `source` until its window (and, when `message` is
// expected, the message over it) has shown, then closes it.
Shown RunViewer(const QString& source, bool message) {
  Shown shown;
  bool messageSeen = false;
  QElapsedTimer waited;
  waited.start();
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [&, timer] {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      messageSeen = true;
      shown.message = box->text();
      box->button(QMessageBox::Ok)->click();
      return;
    }
    CKestrelDlg* window = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* found = qobject_cast<CKestrelDlg*>(top)) window = found;
    }
    // A hang guard: a message that never comes fails the case below.
    if (!window || !window->isVisible() || (message && !messageSeen && waited.elapsed() < 20000)) {
      return;
    }
    timer->stop();
    timer->deleteLater();
    const CFileListCtrl* list = window->fileList();
    for (int row = 0; row < list->count(); ++row) shown.rows << list->item(row)->text();
    shown.pathField = window->filer()->pathField()->text();
    shown.list = list->viewport()->grab().toImage();
    shown.window = window->grab().toImage();
    window->close();
  });
  timer->start(20);
  CKestrelApp app;
  app.Run(source);
  return shown;
}

TEST(CommandLineSource, OpensAFileAFolderOrACardAndSavesIt_AMissingPathShowsAMessage) {
  const CardSource card(kFiles, 2);
  ASSERT_TRUE(card.ok()) << card.error();
  const QString folder = QFileInfo(card.Path(0)).absolutePath();
  const QString cardRoot = QFileInfo(card.dcim()).absolutePath();
  const QString missing = cardRoot + QStringLiteral("/no such folder");
  const QString notMovie = cardRoot + QStringLiteral("/notes.MOV");
  {
    QFile file(notMovie);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a movie");
  }

  struct Case {
    const char* name;
    QString path;
    int rows;
    QString message;  // the message over the window, "" for none
    QString pathField;
    // The settings file's saved source afterwards: "SELECT", "FOLDER", "FILE".
    QStringList saved;
  };
  // Each start finds this folder saved as the source.
  const QStringList before = {QStringLiteral("FOLDER"), folder, QString()};
  const Case cases[] = {
      {"a recording",
       card.Path(1),
       1,
       QString(),
       card.Path(1),
       {QStringLiteral("FILE"), folder, card.Path(1)}},
      {"a folder", folder + QStringLiteral("/"), kFiles, QString(), folder, before},
      {"a card's root",
       cardRoot,
       kFiles,
       QString(),
       card.dcim(),
       {QStringLiteral("FOLDER"), card.dcim(), QString()}},
      {"a path that does not exist", missing, 0, UiText(101) + QStringLiteral("\n") + missing,
       missing, before},
      {"a file that is no recording",
       notMovie,
       0,
       UiText(99) + QStringLiteral("\n") + notMovie,
       notMovie,
       {QStringLiteral("FILE"), folder, notMovie}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedWorkFolder work;
    ASSERT_TRUE(WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), before[0]));
    ASSERT_TRUE(WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), before[1]));

    const Shown shown = RunViewer(c.path, !c.message.isEmpty());
    EXPECT_EQ(shown.message, c.message);
    EXPECT_EQ(shown.rows.size(), c.rows) << shown.rows.join(QLatin1Char(',')).toStdString();
    for (int row = 0; row < shown.rows.size(); ++row) {
      const int file = c.rows == 1 ? 1 : row;
      EXPECT_EQ(shown.rows[row],
                CFileListCtrl::RowText(QFileInfo(card.Path(file)).fileName().toStdString()));
    }
    // The rows are drawn; an empty list is bare.
    int ink = 0;
    const QRgb background = shown.list.pixel(shown.list.width() - 1, shown.list.height() - 1);
    for (int y = 0; y < shown.list.height(); ++y) {
      for (int x = 0; x < shown.list.width(); ++x) ink += shown.list.pixel(x, y) != background;
    }
    EXPECT_EQ(ink > 0, c.rows > 0) << ink;
    EXPECT_EQ(shown.pathField, c.pathField);
    const QStringList saved = {ReadIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT")),
                               ReadIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER")),
                               ReadIniString(QStringLiteral("SOURCE"), QStringLiteral("FILE"))};
    EXPECT_EQ(saved, c.saved);
    shown.window.save(QStringLiteral(KESTREL_TEST_OUTPUT_DIR "/") +
                      QString::fromLatin1(c.name).replace(QLatin1Char(' '), QLatin1Char('-')) +
                      QStringLiteral(".png"));
  }
}

}  // namespace

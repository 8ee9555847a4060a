// The map in the main window, with a local tile folder as its map service:
// an opened recording's route and marks reach the page, a click on a mark
// moves playback to it, the play controls give the page its status, and
// while paused the marker follows seeks.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "card_source.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "map/google_map_dlg2.h"
#include "map/google_map_dlg_wrap.h"
#include "scoped_work_folder.h"

namespace {

constexpr int kWaitMs = 20000;

QVariant Eval(CKestrelDlg& dlg, const QString& script) {
  QVariant result;
  bool done = false;
  dlg.mapAndMarks().map()->mapWindow()->webView()->page()->runJavaScript(
      script, [&](const QVariant& value) {
        result = value;
        done = true;
      });
  EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, kWaitMs)) << script.toStdString();
  return result;
}

}  // namespace

TEST(MapWindow, RouteMarksAndClicksOfTheOpenRecording) {
  CardSource card(3, 6);
  ASSERT_TRUE(card.ok()) << card.error();
  ScopedWorkFolder work;
  QTemporaryDir tiles;
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), card.dcim());
  WriteIniString(QStringLiteral("MAP"), QStringLiteral("TILE_URL"), tiles.path());
  {
    CKestrelDlg dlg;
    dlg.show();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dlg.mapAndMarks().map()->pageInitialised(); }, kWaitMs));
    // The impact recording of the card.
    int row = -1;
    for (int i = 0; i < 3; ++i) row = card.Plan(i).trigger == 'G' ? i : row;
    ASSERT_GE(row, 0);
    CFileListCtrl* list = dlg.fileList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return dlg.playback().currentIndex() == row && dlg.playback().openComplete() &&
                 dlg.mapAndMarks().marksBuilt();
        },
        kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return Eval(dlg,
                      "orbitgrplist.grpline.length > 0 && "
                      "orbitgrplist.gridlist.points.length > 0 && cplist.markers.length > 0")
              .toBool();
        },
        kWaitMs));
    EXPECT_TRUE(dlg.mapAndMarks().map()->mapWindow()->isVisible());

    // A click on the last mark seeks to its frame.
    const int frame = Eval(dlg, "cplist.markers[cplist.markers.length - 1].ipos").toInt();
    Eval(dlg, "cplist.markers[cplist.markers.length - 1].marker.fire('click'); 0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return dlg.seekSlider()->pos() == frame; }, kWaitMs))
        << "slider at " << dlg.seekSlider()->pos() << ", mark at " << frame;

    // Pause and stop reach the page with the next update message.
    if (dlg.engineState()->playState != 2) dlg.playback().OnPlayPause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.engineState()->playState == 2; }, kWaitMs));
    dlg.playback().OnPlayPause();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return Eval(dlg, "document.getElementById('map_status').value") == "pause"; },
        kWaitMs));

    // While paused the marker follows a seek at once, to the record before
    // the frame.
    for (const int to : {0, frame, 0}) {
      dlg.playback().SeekTo(to);
      EXPECT_TRUE(QTest::qWaitFor(
          [&] {
            return Eval(dlg,
                        "(function () { var i = orbitgrplist.GetIndex(); return i >= 0 && "
                        "g_marker.getLatLng().equals(orbitgrplist.gridlist.points[i]); })()")
                .toBool();
          },
          3000))
          << "seek to " << to;
    }
  }
  DeleteSharedFonts();
}

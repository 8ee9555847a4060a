// The event list of the whole card through the real window: Ctrl+E lists
// every recording's events; a double-click opens the recording, in another
// folder too, at the event's record.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <memory>

#include "base/settings_file.h"
#include "base/shared_fonts.h"
#include "browser/file_list_ctrl.h"
#include "card_source.h"
#include "container/sensor_track.h"
#include "controls/skin_slider_ctrl.h"
#include "mainwnd/kestrel_dlg.h"
#include "player/player_engine.h"
#include "scoped_work_folder.h"
#include "views/event_list_dlg.h"

namespace {

constexpr int kWaitMs = 20000;

TEST(EventListWindow, OpensTheChosenEventsRecordingAtItsRecord) {
  CardSource card(2, 4, 2);
  ASSERT_TRUE(card.ok()) << card.error();
  ScopedWorkFolder work;
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("SELECT"), QStringLiteral("FOLDER"));
  WriteIniString(QStringLiteral("SOURCE"), QStringLiteral("FOLDER"), card.dcim());
  auto dlg = std::make_unique<CKestrelDlg>();
  dlg->show();
  QApplication::setActiveWindow(dlg.get());
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));

  QTest::keyClick(dlg.get(), Qt::Key_E, Qt::ControlModifier);
  CEventListDlg* list = dlg->mapAndMarks().eventListDlg();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->isVisible());
  QSignalSpy finished(list, &CEventListDlg::scanFinished);
  ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, kWaitMs));

  // The latest event of the impact recording in the second folder.
  const QString last = card.Path(2);
  const QString lastName = QFileInfo(last).fileName();
  QAbstractItemModel* model = list->table()->model();
  int row = -1;
  list->table()->sortByColumn(CEventListDlg::kTime, Qt::AscendingOrder);
  for (int r = 0; r < model->rowCount(); ++r) {
    if (model->index(r, CEventListDlg::kRecording).data().toString() == lastName) row = r;
  }
  ASSERT_GE(row, 0) << "the generator marks events in every recording";
  QSignalSpy chosen(list, &CEventListDlg::eventChosen);
  emit list->table()->doubleClicked(model->index(row, CEventListDlg::kKind));
  ASSERT_EQ(chosen.count(), 1);
  const qint64 offsetMs = chosen.at(0).at(1).toLongLong();

  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const int index = dlg->playback().currentIndex();
        return dlg->playback().openComplete() && index >= 0 &&
               index < dlg->fileList()->entryCount() &&
               dlg->fileList()->entries()[index].path == last.toStdString();
      },
      kWaitMs));
  // The picture stands at the first frame of the event's record.
  SensorTrack track;
  track.frameTime = dlg->engineState()->frameUnitMs;
  ASSERT_TRUE(track.Load(last.toStdString()));
  ASSERT_TRUE(track.MapFrames(dlg->engineOps().GetFrameCountAlt(dlg->engineState())));
  const int frame = track.accels.at(static_cast<std::size_t>(offsetMs / 100)).frame;
  ASSERT_GT(frame, 60) << "an event well after the start";
  QTest::qWait(100);
  EXPECT_NEAR(dlg->seekSlider()->pos(), frame, 15) << "at the event, give or take the playing";
  dlg.reset();
  DeleteSharedFonts();
}

}  // namespace

// The rules behind the control bar and the popup menu, and the snapshot's
// file name.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/snapshot_name.h"
#include "mainwnd/button_rules.h"
#include "mainwnd/popup_menu_rules.h"

namespace {

// The bar's buttons as a string, one character each from 38000 to 38012:
// 'x' enabled, '.' disabled, 'h' hidden.
std::string Bar(const ButtonInputs& in) {
  std::string text;
  for (const ButtonState& state : BarButtonStates(in)) {
    text += !state.shown ? 'h' : state.enabled ? 'x' : '.';
  }
  return text;
}

ButtonInputs Listed(int state, int index = 1, ListedSource source = ListedSource::kCard) {
  ButtonInputs in;
  in.recordings = 3;
  in.currentIndex = index;
  in.engineReady = true;
  in.playState = state;
  in.trackLoaded = true;
  in.source = source;
  in.csvAvailable = CsvAvailableFor(source, in.recordings);
  return in;
}

TEST(ButtonRules, EachButtonByListPlayStateRateModeAndSource) {
  struct Case {
    const char* what;
    ButtonInputs in;
    const char* bar;  // 38000 ... 38012
  };
  ButtonInputs empty;
  ButtonInputs emptyCard = empty;
  emptyCard.csvAvailable = true;
  ButtonInputs notReady = Listed(2);
  notReady.engineReady = false;
  ButtonInputs noTrack = Listed(1);
  noTrack.trackLoaded = false;
  ButtonInputs noTrackPlaying = noTrack;
  noTrackPlaying.playState = 2;
  ButtonInputs fastest = Listed(2);
  fastest.rateCode = 4;
  ButtonInputs slowest = Listed(2);
  slowest.rateCode = -2;
  ButtonInputs slow = Listed(2);
  slow.rateCode = -1;
  ButtonInputs single = Listed(2, 0);
  single.recordings = 1;
  ButtonInputs mode2 = Listed(3);
  mode2.windowMode = 2;
  const Case cases[] = {
      {"empty list", empty, ".........x..."},
      {"empty list, CSV still marked", emptyCard, ".........x..x"},
      {"closed", Listed(0), ".xx..xxxxxxxx"},
      {"engine not ready counts as closed", notReady, ".xx..xxxxxxxx"},
      {"stopped", Listed(1), ".xx..xxxxxxxx"},
      {"paused", Listed(3), "xxx..xxxxxxxx"},
      {"playing", Listed(2), "xxxxxxxxxxxxx"},
      {"first recording", Listed(2, 0), "x.xxxxxxxxxxx"},
      {"last recording", Listed(2, 2), "xxxxx.xxxxxxx"},
      {"single recording", single, "x.xxx.xxxxxxx"},
      {"no track loaded, stopped", noTrack, ".x...x.x.xxxx"},
      {"no track loaded, playing", noTrackPlaying, "xxxxxx.x.xxxx"},
      {"at x4", fastest, "xxxx.xxxxxxxx"},
      {"below x0.5", slowest, "xxx.xxxxxxxxx"},
      {"at -1", slow, "xxxxxxxxxxxxx"},
      {"mode 2 hides the snapshot", mode2, "xxx..xhxxxxxx"},
      {"folder", Listed(2, 1, ListedSource::kFolder), "xxxxxxxxxxxxx"},
      {"file", Listed(2, 0, ListedSource::kFile), "x.xxxxxxxx.xx"},
  };
  for (const Case& c : cases) EXPECT_EQ(Bar(c.in), c.bar) << c.what;

  EXPECT_TRUE(CsvAvailableFor(ListedSource::kCard, 1));
  EXPECT_FALSE(CsvAvailableFor(ListedSource::kCard, 0));
  EXPECT_TRUE(CsvAvailableFor(ListedSource::kFolder, 5));
  EXPECT_TRUE(CsvAvailableFor(ListedSource::kFile, 1));
  EXPECT_FALSE(CsvAvailableFor(ListedSource::kFolder, 0));
  EXPECT_FALSE(CsvAvailableFor(ListedSource::kNone, 0));
}

// The menu as text: the command ids in order, "-" for a separator and a
// "*" after a greyed item.
std::string Menu(const PopupInputs& in) {
  std::string text;
  for (const PopupItem& item : PopupMenuItems(in)) {
    if (!text.empty()) text += ' ';
    text += item.command == 0 ? "-" : std::to_string(item.command);
    if (item.greyed) text += '*';
    if (item.text == PopupText::kKeepAspect) text += "(keep)";
    if (item.text == PopupText::kStretch) text += "(stretch)";
    if (item.checked) text += "(on)";
  }
  return text;
}

TEST(PopupMenuRules, ItemsByEngineStateWindowModeAndFullScreen) {
  // The viewer's items (the GPX export greyed with an empty list), the
  // clip's marks (greyed without a movie) and its export (greyed until the
  // marks make a stretch), then the picture steps (greyed without a movie)
  // and playing backwards, and the key help.
  const std::string tail = " - 38013 38014 38018 - 38019 38020 38021* - 38023 38015 38016 38017";
  const std::string closedTail =
      " - 38013 38014 38018* - 38019* 38020* 38021* - 38023* 38015* 38016* 38017";
  struct Case {
    const char* what;
    PopupInputs in;
    std::string menu;
  };
  const auto in = [](bool ready, int state, int rate, int mode, bool full, int aspect = 0,
                     bool listEmpty = false, bool clipReady = false, bool backwards = false) {
    PopupInputs p;
    p.backwards = backwards;
    p.clipReady = clipReady;
    p.listEmpty = listEmpty;
    p.engineReady = ready;
    p.playState = state;
    p.rateCode = rate;
    p.windowMode = mode;
    p.fullScreen = full;
    p.aspectMode = aspect;
    return p;
  };
  const Case cases[] = {
      {"not ready", in(false, 2, 1, 0, false, 0, true), "38011 - 38009" + closedTail},
      {"closed, mode 2", in(true, 0, 1, 2, false, 0, true), "38011" + closedTail},
      {"closed, recordings listed", in(true, 0, 1, 0, false),
       "38011 - 38009 - 38013 38014 38018 - 38019* 38020* 38021* - 38023* 38015* 38016* 38017"},
      {"closed, the marks a stretch", in(true, 0, 1, 0, false, 0, false, true),
       "38011 - 38009 - 38013 38014 38018 - 38019* 38020* 38021 - 38023* 38015* 38016* 38017"},
      {"paused, the marks a stretch", in(true, 3, 1, 0, false, 0, false, true),
       "38002 38000 38004* 38003* - 38006 38011 - 38009 - 38013 38014 38018 - 38019 38020 "
       "38021 - 38023 38015 38016 38017"},
      {"full screen, the marks a stretch", in(true, 2, 1, 0, true, 0, false, true),
       "38002 38000 38004 38003 38200(keep) - 38013 38014 38018 - 38019 38020 38021 - 38023 "
       "38015 38016 38017"},
      {"stopped", in(true, 1, 1, 0, false), "38002 - 38006 38011 - 38009" + tail},
      {"stopped, mode 2", in(true, 1, 1, 2, false), "38002 - 38006 38011" + tail},
      {"stopped, full screen", in(true, 1, 1, 0, true), "38002 38200(keep)" + tail},
      {"stopped, full screen keeping the aspect", in(true, 1, 1, 0, true, 1),
       "38002 38200(stretch)" + tail},
      {"stopped, full screen, other aspect", in(true, 1, 1, 0, true, 2), "38002" + tail},
      {"playing", in(true, 2, 1, 0, false), "38002 38000 38004 38003 - 38006 38011 - 38009" + tail},
      {"playing at x4", in(true, 2, 4, 0, false),
       "38002 38000 38004* 38003 - 38006 38011 - 38009" + tail},
      {"playing backwards", in(true, 2, -2, 0, true),
       "38002 38000 38004 38003* 38200(keep)" + tail},
      {"playing backwards at x1", in(true, 2, 1, 0, false, 0, false, false, true),
       "38002 38000 38004 38003 - 38006 38011 - 38009 - 38013 38014 38018 - 38019 38020 38021* - "
       "38023(on) 38015 38016 38017"},
      {"paused backwards", in(true, 3, 1, 0, false, 0, false, false, true),
       "38002 38000 38004* 38003* - 38006 38011 - 38009" + tail},
      {"paused", in(true, 3, 1, 1, false),
       "38002 38000 38004* 38003* - 38006 38011 - 38009" + tail},
  };
  for (const Case& c : cases) EXPECT_EQ(Menu(c.in), c.menu) << c.what;
  EXPECT_EQ(PopupMenuItems(in(true, 3, 1, 0, false)).front().text, PopupText::kPlay);
  EXPECT_EQ(PopupMenuItems(in(true, 2, 1, 0, false)).front().text, PopupText::kPause);
}

TEST(SnapshotName, FolderRecordingAndNumbers) {
  EXPECT_EQ(SnapshotFileName("Shots", "2023_0001.MOV", 0, 7, 123),
            "Shots-2023_0001-000_007_000123.jpg");
  EXPECT_EQ(SnapshotFileName("写真", "a.b.MOV", 12, 1234, 1234567), "写真-a-012_1234_1234567.jpg");
  EXPECT_EQ(SnapshotFileName("x", "NODOT", 0, 0, 0), "x-NODOT-000_000_000000.jpg");
}

}  // namespace

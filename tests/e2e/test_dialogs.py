"""The windows a person opens from the main window: the update dialog against
a version server on 127.0.0.1, the source dialog, the settings dialog and
its display choices, the event list and the meters, each shown, read and closed through the X server."""

import datetime
import http.server
import os
import re
import shutil
import threading
import time

import pytest

from conftest import start_viewer
from viewer import PLAY, RECORDING, SETTINGS, Player, Viewer, wait_for


def closed(viewer, title):
    return lambda: title not in [w.name for w in viewer.windows()]


def test_update_dialog_is_read_and_closed(desktop, programs, card, version_server):
    port = version_server.server_address[1]
    viewer = start_viewer(desktop, programs, card, ["[UPDATE]", "SERVER=127.0.0.1:%d" % port])
    try:
        dialog = viewer.window("ソフトの更新情報", timeout=60)
        text = viewer.find_all(dialog, role="label")[0]
        # Both updates, the viewer's last, are there and within the dialog.
        assert "ビューワーソフト" in text.name and "9.9.9.9" in text.name, text.name
        close = viewer.find("閉じる", "push button", root=dialog)
        dx, dy, dw, dh = viewer.extents(dialog)
        tx, ty, tw, th = viewer.extents(text)
        assert dy <= ty and ty + th <= viewer.extents(close)[1] <= dy + dh
        viewer.click(close)
        wait_for(closed(viewer, "ソフトの更新情報"), what="the update dialog closed")
        assert len(version_server.asked) == 2
    finally:
        viewer.stop()
        shutil.rmtree(viewer.work, ignore_errors=True)


@pytest.mark.parametrize("answer", ["キャンセル", "OK"])
def test_source_dialog(viewer, player, answer):
    player.paused_at(RECORDING, 0.5)
    viewer.click(player.button("参照"))
    dialog = viewer.window("参照先")
    viewer.click(viewer.find(answer, "push button", root=dialog))
    wait_for(closed(viewer, "参照先"), what="the source dialog closed")
    # Either way the list holds the folder's recordings; after a cancel the
    # first of them is open, ready to play.
    wait_for(lambda: len(viewer.find_all(viewer.main_window(), role="list item")) == 3,
             what="the folder listed")
    if answer == "キャンセル":
        wait_for(lambda: viewer.state(player.button(PLAY), "enabled"), what="play enabled")
        assert player.picture()[0] == 0


@pytest.mark.parametrize("answer", ["キャンセル", "OK"])
def test_settings_dialog(viewer, player, answer):
    viewer.click(player.button("設定"))
    dialog = viewer.window("設定")
    viewer.click(viewer.find(answer, "push button", root=dialog))
    wait_for(closed(viewer, "設定"), what="the settings dialog closed")


def choose_last(viewer, combo):
    """Opens a drop-down list with a click and takes its last row."""
    viewer.click(combo)
    time.sleep(0.3)
    viewer.key("End", "Return")


def test_display_choices_are_written_and_taken_at_the_next_start(desktop, programs, card):
    viewer = start_viewer(desktop, programs, card)
    work = viewer.work
    try:
        player = Player(viewer, card)
        viewer.click(player.button("設定"))
        dialog = viewer.window("設定")
        assert viewer.find("言語と単位は次回の起動から適用されます。", "label", root=dialog)
        # The language's list, then the speed unit's, left to right on the
        # top row of lists (the MP4 clips' lists lie below).
        lists = wait_for(lambda: viewer.find_all(dialog, role="combo box"), what="the lists")
        by_place = sorted(lists, key=lambda node: viewer.extents(node)[1::-1])
        language, unit = by_place[:2]
        choose_last(viewer, language)
        choose_last(viewer, unit)
        viewer.click(viewer.find("OK", "push button", root=dialog))
        wait_for(closed(viewer, "設定"), what="the settings dialog closed")
        with open(os.path.join(work, SETTINGS), newline="") as settings:
            text = settings.read()
        assert "LANGUAGE=en\r\n" in text and "SPEED_UNIT=mph\r\n" in text, text
        # This run keeps its language.
        assert player.button("設定")
        viewer.stop()

        # The next start is in English; "--lang ja" gives Japanese for one run.
        for args, settings_button in (((), "Settings"), (("--lang", "ja"), "設定")):
            viewer = Viewer(desktop, programs["viewer"], work, args)
            viewer.main_window()
            assert Player(viewer, card).button(settings_button)
            viewer.stop()
    finally:
        viewer.stop()
        shutil.rmtree(work, ignore_errors=True)


@pytest.fixture
def tile_server():
    """A tile server on 127.0.0.1 that keeps the paths it is asked for (and
    has no tiles)."""
    asked = []

    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            asked.append(self.path)
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    server.asked = asked
    yield server
    server.shutdown()


def test_map_source_is_taken_without_a_restart(desktop, programs, card, tile_server):
    viewer = start_viewer(desktop, programs, card)
    work = viewer.work
    try:
        player = Player(viewer, card)
        player.paused_at(RECORDING, 0.5)
        viewer.click(player.button("設定"))
        dialog = viewer.window("設定")
        # The lists by their places: language, unit, time zone, map.
        lists = sorted(viewer.find_all(dialog, role="combo box"),
                       key=lambda node: viewer.extents(node)[1::-1])[:4]
        address = "http://127.0.0.1:%d/{z}/{x}/{y}.png" % tile_server.server_address[1]
        viewer.click(lists[3], at=(0.3, 0.5))
        viewer.key("ctrl+a")
        viewer.type(address)
        assert tile_server.asked == []
        viewer.click(viewer.find("OK", "push button", root=dialog))
        wait_for(closed(viewer, "設定"), what="the settings window closed")
        with open(os.path.join(work, SETTINGS), newline="") as settings:
            assert "TILE_URL=%s\r\n" % address in settings.read()
        # The map's page, loaded again, asks the new server for its tiles.
        tile = re.compile(r"/\d+/\d+/\d+\.png")
        wait_for(lambda: any(tile.fullmatch(path) for path in tile_server.asked), timeout=30,
                 what="a tile asked of the new server")
    finally:
        viewer.stop()
        shutil.rmtree(work, ignore_errors=True)


def save_shot(viewer, node, name):
    """With KESTREL_SHOT_DIR set, saves what the screen shows of `node` there
    as english-`name`.png."""
    folder = os.environ.get("KESTREL_SHOT_DIR")
    if not folder:
        return
    x, y, w, h = viewer.extents(node)
    viewer.desktop.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y),
                        os.path.join(folder, "english-%s.png" % name)])


def time_readout(viewer):
    """The readout beside the seek slider: (elapsed, total) in seconds."""
    def read():
        for label in viewer.find_all(viewer.main_window(), role="label", depth=1):
            found = re.fullmatch(r"(\d+):(\d\d) / (\d+):(\d\d)", label.name)
            if found:
                m1, s1, m2, s2 = map(int, found.groups())
                return m1 * 60 + s1, m2 * 60 + s2
        return None
    return wait_for(read, what="the time readout")


def slider_tip(viewer, slider, fraction):
    """The seek slider's tooltip while the pointer rests at `fraction` of it,
    read as the recorder's clock."""
    x, y, w, h = viewer.extents(slider)
    viewer.focus()  # tooltips show over the active window
    viewer.point(1, 1)
    time.sleep(0.3)
    viewer.point(x + int(w * fraction), y + h // 2)

    def read():
        for window in viewer.windows():
            for node in [window, *viewer.find_all(window, role="label")]:
                if re.fullmatch(r"\d{4}/\d\d/\d\d \d\d:\d\d:\d\d", node.name or ""):
                    return node.name
        return None
    text = wait_for(read, what="the slider's tooltip")
    return datetime.datetime.strptime(text, "%Y/%m/%d %H:%M:%S")


def test_english_window_time_readout_and_the_clock_and_map_settings(desktop, programs, card):
    viewer = start_viewer(desktop, programs, card, args=("--lang", "en"))
    work = viewer.work
    try:
        player = Player(viewer, card, names=("Play", "Pause", "Position"))
        window = viewer.main_window()
        # Where the picture is, beside the slider: the card's recordings
        # last 10 s at 30 pictures a second.
        _, frame = player.paused_at(RECORDING, 0.5)
        assert time_readout(viewer) == (frame // 30, 10)
        save_shot(viewer, window, "mode0")

        # The pointer on the slider reads the recorder's clock there: 8 s
        # of the 10 s apart from a tenth to nine tenths of the slider.
        slider = player.seek_slider()
        early, late = slider_tip(viewer, slider, 0.1), slider_tip(viewer, slider, 0.9)
        assert 7 <= (late - early).total_seconds() <= 9, (early, late)

        # The clock and the map in the settings window.
        viewer.click(player.button("Settings"))
        dialog = viewer.window("Settings")
        offset = viewer.find("Clock offset (s):", "spin button", root=dialog)
        viewer.click(offset)
        viewer.key("ctrl+a")
        viewer.type("3600")
        # The lists by their places: language, unit, time zone, map (the MP4
        # clips' lists lie below).
        lists = sorted(viewer.find_all(dialog, role="combo box"),
                       key=lambda node: viewer.extents(node)[1::-1])[:4]
        choose_last(viewer, lists[2])
        tiles = os.path.join(work, "other tiles")
        os.mkdir(tiles)
        viewer.click(lists[3], at=(0.3, 0.5))
        viewer.key("ctrl+a")
        viewer.type(tiles)
        viewer.click(viewer.find("OK", "push button", root=dialog))
        wait_for(closed(viewer, "Settings"), what="the settings window closed")
        with open(os.path.join(work, SETTINGS), newline="") as settings:
            text = settings.read()
        assert "TIME_OFFSET=3600\r\n" in text and "TILE_URL=%s\r\n" % tiles in text, text
        assert re.search(r"TIME_ZONE=[A-Za-z]", text), text
        # The clock is taken at once: the same place reads an hour later.
        assert (slider_tip(viewer, slider, 0.1) - early).total_seconds() == 3600

        # The largest picture, and the key help.
        for _ in range(2):
            size = [b for b in viewer.find_all(window, role="push button", depth=1)
                    if b.name in ("Large", "Medium", "Small")][0]
            viewer.click(size)
        wait_for(lambda: viewer.extents(player.video())[2:] == (1108, 628), what="mode 2")
        assert time_readout(viewer)[1] == 10
        save_shot(viewer, window, "mode2")
        viewer.focus()
        viewer.key("F1")
        help_window = viewer.window("Keyboard shortcuts")
        assert viewer.find("Back 5 s", "table cell", root=help_window)
        save_shot(viewer, help_window, "keyhelp")
        viewer.key("Escape")
    finally:
        viewer.stop()
        shutil.rmtree(work, ignore_errors=True)


def test_event_list_lists_and_closes(viewer, player):
    player.paused_at(RECORDING, 0.5)
    viewer.focus()
    viewer.key("ctrl+e")
    window = viewer.window("イベント一覧")
    table = viewer.find("イベント一覧", "table", root=window)
    # The card's events, as kestrel-cli lists them.
    wait_for(lambda: table.queryTable().nRows == 20, what="the card's 20 events")
    viewer.focus("イベント一覧")
    viewer.key("Escape")
    wait_for(closed(viewer, "イベント一覧"), what="the event list closed")


def test_meters_window_from_the_popup_menu(viewer, player):
    player.paused_at(RECORDING, 0.5)
    x, y, w, h = viewer.extents(player.video())
    menu = viewer.popup_menu(x + w // 4, y + h // 4)
    viewer.click(viewer.find("車両情報", "menu item", root=menu))
    meters = viewer.window("車両情報")
    # Three meters, each with its list of kinds, the first three kinds chosen.
    lists = viewer.find_all(meters, role="combo box")
    assert len(lists) == 3
    x, y, w, h = viewer.extents(meters)
    window = viewer.extents(viewer.main_window())
    assert (w, h) != (0, 0) and x >= window[0]

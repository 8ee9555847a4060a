"""What a person saves from the window, checked in the files: a snapshot of
the picture on show, the GPX route of the source and a join of two
recordings, each through the program's own dialogs typed into."""

import json
import subprocess
import xml.dom.minidom

import barcode
from desktop import Picture
from viewer import RECORDING, wait_for


def answer_file_dialog(viewer, path):
    """Types a path into the file dialog that has the focus and takes it."""
    wait_for(lambda: viewer.find_all(role="text", depth=12), what="a file dialog")
    viewer.key("ctrl+a")
    viewer.type(path)
    viewer.key("Return")


def confirm_done(viewer):
    box = viewer.window("終了")
    assert viewer.find_all(box, "完了しました。")
    viewer.click(viewer.find("OK", "push button", root=box))


def test_snapshot_holds_the_picture_on_show(viewer, player, tmp_path):
    shown = player.paused_at(RECORDING, 0.5)
    viewer.focus()
    viewer.key("s")
    answer_file_dialog(viewer, str(tmp_path))
    confirm_done(viewer)
    shots = list(tmp_path.glob("*.jpg"))
    assert len(shots) == 1
    ppm = subprocess.run(["convert", str(shots[0]), "-depth", "8", "ppm:-"], check=True,
                         capture_output=True).stdout
    picture = Picture.from_ppm(ppm)
    strip = barcode.strip_rect((0, 0, picture.width, picture.height), picture.height)
    rows = Picture(picture.width, strip[3], picture.rgb[:3 * picture.width * strip[3]])
    assert barcode.read(rows) == shown


def test_gpx_of_the_source(viewer, player, tmp_path):
    player.paused_at(RECORDING, 0.5)
    out = tmp_path / "route.gpx"
    viewer.focus()
    viewer.key("g")
    answer_file_dialog(viewer, str(out))
    confirm_done(viewer)
    document = xml.dom.minidom.parse(str(out))
    # One track per recording of the source, the card's two folders.
    assert len(document.getElementsByTagName("trk")) == 6


def test_join_of_two_recordings(viewer, player, programs, tmp_path):
    player.paused_at(RECORDING, 0.5)
    viewer.click(player.button("動画"))
    dialog = viewer.window("動画連結")
    # The open recording is ticked; tick the one after it too, by its box at
    # the row's left.
    ticked = viewer.find(RECORDING + ".MOV", "table cell", root=dialog)
    after = viewer.find("0612083020_G.MOV", "table cell", root=dialog)
    assert viewer.state(ticked, "checked") and not viewer.state(after, "checked")
    x, y, w, h = viewer.extents(after)
    viewer.click_at(x + h // 2 + 2, y + h // 2)
    wait_for(lambda: viewer.state(after, "checked"), what="the second recording ticked")
    viewer.click(viewer.find("動画連結", "push button", root=dialog))
    out = tmp_path / "joined.MOV"
    answer_file_dialog(viewer, str(out))
    confirm_done(viewer)
    info = json.loads(subprocess.run([programs["cli"], "info", str(out)], check=True,
                                     capture_output=True, text=True).stdout)
    assert info["frame_count"] == 600 and info["record_count"] == 200, info

"""A recording that an impact cut short, as a person finds it in the list:
greyed, with its tooltip, a click on it plays nothing, and its popup menu
repairs it into a new recording that is listed and plays."""

import hashlib
import json
import shutil
import subprocess
import time

from test_files import answer_file_dialog, confirm_done

from conftest import start_viewer
from viewer import Player, wait_for

TIP = "破損（修復できます）"
# The generator numbers the file cut short after the folder's two recordings.
CUT_INDEX = 2


def test_cut_short_recording_is_listed_greyed_and_repaired_from_its_menu(desktop, programs,
                                                                         tmp_path):
    root = tmp_path / "card"
    # --extras adds to the folder a file cut short inside its media, beside
    # the two recordings (and files that are no recordings, not listed).
    # Ten seconds: the repair keeps some five, long enough to be seen playing
    # between two looks at the screen of a busy machine.
    subprocess.run([programs["mkcard"], "--folders", "1", "--files", "2", "--seconds", "10",
                    "--extras", str(root)], check=True, capture_output=True)
    card = root / "DCIM"
    cut = next(p for p in sorted(card.glob("*/*.MOV")) if b"moov" not in p.read_bytes())
    viewer = start_viewer(desktop, programs, card)
    try:
        player = Player(viewer, card)
        row = viewer.find(cut.stem, "list item", root=viewer.main_window())
        assert row.description == TIP
        assert not viewer.state(row, "selectable")

        # The first recording is on show; a click on the damaged row leaves it
        # there, without an error box.
        shown = player.picture()[0]
        viewer.click(row)
        time.sleep(2)
        assert not viewer.state(row, "selected")
        assert player.picture()[0] == shown
        assert [w.name for w in viewer.windows()] == [viewer.main_window().name]

        # Its popup menu repairs it into the file the save dialog is given;
        # the damaged file is only read.
        before = hashlib.sha256(cut.read_bytes()).hexdigest()
        x, y, w, h = viewer.extents(row)
        menu = viewer.popup_menu(x + w // 2, y + h // 2)
        viewer.click(viewer.find("修復…", "menu item", root=menu))
        repaired = cut.with_name(cut.stem + "_repaired.MOV")
        answer_file_dialog(viewer, str(repaired))
        confirm_done(viewer)
        assert hashlib.sha256(cut.read_bytes()).hexdigest() == before
        info = json.loads(subprocess.run([programs["cli"], "info", str(repaired)], check=True,
                                         capture_output=True, text=True).stdout)
        assert info["frame_count"] > 0 and info["record_count"] == 0, info

        # The list is read again: the repaired recording is listed, and
        # plays from its first picture on.
        # The play button works once the open is over (it is disabled while
        # the recording opens). A click while the list is still being read
        # again may land on the old list, so the row is found and clicked
        # again until its picture shows.
        for attempt in range(3):
            fixed = viewer.find(repaired.stem, "list item", root=viewer.main_window())
            assert viewer.state(fixed, "selectable")
            viewer.click(fixed)
            try:
                wait_for(lambda: player.picture() == (CUT_INDEX, 0), 10,
                         what="the repaired recording's first picture")
                break
            except AssertionError:
                if attempt == 2:
                    raise
        player.play()
        wait_for(lambda: player.picture()[1] > 0, 20, step=0.01,
                 what="the repaired recording playing")
        assert player.picture()[0] == CUT_INDEX
        assert viewer.running()
    finally:
        viewer.stop()
        shutil.rmtree(viewer.work, ignore_errors=True)

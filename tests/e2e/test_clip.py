"""Clips from the window: the marks set with i and o on the real window, their
ticks on the seek slider and their names beside the rate, the popup menu's
clip items greyed and enabled, and the clips that "クリップを書き出す…", the key
c and the event list's "前後を書き出す…" write, read back picture by picture
with ffmpeg and the generator's barcode."""

import json
import re
import shutil
import subprocess

import pytest

import barcode
from conftest import start_viewer
from desktop import Picture
from test_files import answer_file_dialog, confirm_done
from viewer import FPS, PICTURE_SIZE, RECORDING, wait_for

BEFORE, AFTER = 2, 3  # the seconds around a moment, from the settings file
PICTURES = 10 * FPS  # in each recording of the card
NEXT = "0612083020_G"  # the recording after RECORDING, which follows it
EXPORT = "クリップを書き出す…"


@pytest.fixture(scope="module")
def viewer(desktop, programs, card):
    running = start_viewer(desktop, programs, card, ["[CLIP]", "BEFORE_SECONDS=%d" % BEFORE,
                                                     "AFTER_SECONDS=%d" % AFTER,
                                                     "[OVERLAY]", "PRESET=ultrafast"])
    yield running
    running.stop()
    shutil.rmtree(running.work, ignore_errors=True)


def decoded_pictures(path):
    """The (recording, frame) of every picture ffmpeg decodes from the
    movie, in order; ffmpeg must say nothing."""
    width, _ = PICTURE_SIZE
    strip = barcode.strip_rect((0, 0, *PICTURE_SIZE), PICTURE_SIZE[1])[3]
    run = subprocess.run(["ffmpeg", "-v", "error", "-i", str(path), "-vf",
                          "crop=iw:%d:0:0" % strip, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, capture_output=True)
    assert run.stderr == b"", run.stderr
    size = width * strip * 3
    return [barcode.read(Picture(width, strip, run.stdout[i:i + size]))
            for i in range(0, len(run.stdout), size)]


def card_pictures(recording, first, last):
    """The pictures from `first` to `last` counted from the start of the
    card's recording `recording`, running on into the recordings around it."""
    return [(recording + frame // PICTURES, frame % PICTURES) for frame in range(first, last + 1)]


def assert_clip(programs, path, expected):
    info = json.loads(subprocess.run([programs["cli"], "info", str(path)], check=True,
                                     capture_output=True, text=True).stdout)
    assert info["recorder_file"] and info["record_count"] > 0, info
    shown = decoded_pictures(path)
    assert shown == expected, "decoded %s..%s (%d), expected %s..%s (%d)" % (
        shown[:1], shown[-1:], len(shown), expected[:1], expected[-1:], len(expected))


def clip_items(viewer, player):
    """The popup menu's clip items: the two marks and the export, with the
    menu left open."""
    x, y, w, h = viewer.extents(player.video())
    menu = viewer.popup_menu(x + w // 4, y + h // 4)
    return [viewer.find(name, "menu item", root=menu)
            for name in ("開始点を設定", "終了点を設定", EXPORT)]


def export_item(viewer, player):
    return clip_items(viewer, player)[2]


def export_enabled(viewer, player):
    items = clip_items(viewer, player)
    marks = [viewer.state(item, "enabled") for item in items[:2]]
    enabled = viewer.state(items[2], "enabled")
    viewer.key("Escape")
    assert marks == [True, True], "the marks' items greyed with a movie open"
    return enabled


def tick_columns(viewer, player):
    """The fractions of the seek slider's width where a yellow tick shows."""
    slider = player.seek_slider()
    shot = viewer.grab(slider)
    columns = [x for x in range(shot.width)
               if any(r > 200 and 150 < g < 240 and b < 80
                      for r, g, b in (shot.pixel(x, y) for y in range(shot.height)))]
    ticks = []
    for x in columns:
        if ticks and x - ticks[-1][-1] <= 1:
            ticks[-1].append(x)
        else:
            ticks.append([x])
    return [sum(t) / len(t) / shot.width for t in ticks]


def rate_label(viewer):
    return [n.name for n in viewer.find_all(viewer.main_window(), role="label", depth=1)]


def test_marks_ticks_menu_and_the_clip_between_them(viewer, player, programs, tmp_path):
    start = player.paused_at(RECORDING, 0.25)
    assert not export_enabled(viewer, player), "export without marks"
    viewer.focus()
    viewer.key("i")
    wait_for(lambda: len(tick_columns(viewer, player)) == 1, what="the start's tick")
    assert not export_enabled(viewer, player), "export with the start alone"
    end = player.paused_at(RECORDING, 0.75)
    viewer.focus()
    viewer.key("o")
    ticks = wait_for(lambda: (lambda t: t if len(t) == 2 else None)(tick_columns(viewer, player)),
                     what="the two ticks")
    assert abs(ticks[0] - 0.25) < 0.03 and abs(ticks[1] - 0.75) < 0.03, ticks
    item = export_item(viewer, player)
    assert viewer.state(item, "enabled")
    viewer.click(item)
    out = tmp_path / "between.MOV"
    answer_file_dialog(viewer, str(out))
    confirm_done(viewer)
    assert_clip(programs, out, card_pictures(start[0], start[1], end[1]))


def test_mark_in_another_recording_is_named_and_the_clip_runs_across(viewer, player, programs,
                                                                      tmp_path):
    start = player.paused_at(RECORDING, 0.6)
    viewer.focus()
    viewer.key("i")
    wait_for(lambda: tick_columns(viewer, player), what="the start's tick")
    end = player.paused_at(NEXT, 0.3)
    # The start is in the recording before: no tick here, its time named.
    named = wait_for(lambda: next((m for m in map(re.compile(r"開始 08:30:(\d\d)").search,
                                                   rate_label(viewer)) if m), None),
                     what="the start beside the rate, not %s" % rate_label(viewer))
    assert abs(int(named.group(1)) - (10 + start[1] // FPS)) <= 1, named.group(0)
    assert tick_columns(viewer, player) == []
    viewer.focus()
    viewer.key("o")
    wait_for(lambda: tick_columns(viewer, player), what="the end's tick")
    assert export_enabled(viewer, player)
    viewer.click(export_item(viewer, player))
    out = tmp_path / "across.MOV"
    answer_file_dialog(viewer, str(out))
    confirm_done(viewer)
    assert_clip(programs, out, card_pictures(start[0], start[1], PICTURES + end[1]))


def test_c_writes_the_seconds_around_the_picture_shown(viewer, player, programs, tmp_path):
    shown = player.paused_at(RECORDING, 0.1)
    viewer.focus()
    viewer.key("c")
    out = tmp_path / "around.MOV"
    answer_file_dialog(viewer, str(out))
    confirm_done(viewer)
    # From the picture shown 2 s before to the last that begins within 3 s
    # after, into the recording before: the moment shown lies within its
    # picture, so that the picture 3 s on may begin just before the end.
    first = shown[1] - BEFORE * FPS
    decoded = decoded_pictures(out)
    assert decoded in [card_pictures(shown[0], first, shown[1] + AFTER * FPS - extra)
                       for extra in (0, 1)], "decoded %s..%s (%d) around %s" % (
        decoded[:1], decoded[-1:], len(decoded), shown)
    info = json.loads(subprocess.run([programs["cli"], "info", str(out)], check=True,
                                     capture_output=True, text=True).stdout)
    assert info["recorder_file"], info


def test_c_renders_an_mp4_with_the_drives_data(viewer, player, tmp_path):
    """The save dialog's MP4 form, asked for by the name's ".mp4": the same
    pictures, encoded again with the data drawn along their bottom, the
    index before the media so that a browser starts at once, at the
    encoder's speed the settings file names."""
    shown = player.paused_at(RECORDING, 0.1)
    viewer.focus()
    viewer.key("c")
    out = tmp_path / "around.mp4"
    answer_file_dialog(viewer, str(out))
    viewer.window("終了", timeout=180)  # encoding takes longer than copying
    confirm_done(viewer)
    first = shown[1] - BEFORE * FPS
    decoded = decoded_pictures(out)
    assert decoded in [card_pictures(shown[0], first, shown[1] + AFTER * FPS - extra)
                       for extra in (0, 1)], "decoded %s..%s (%d) around %s" % (
        decoded[:1], decoded[-1:], len(decoded), shown)
    data = out.read_bytes()
    assert data[4:8] == b"ftyp" and data.index(b"moov") < data.index(b"mdat")
    codec = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                            "stream=codec_name", "-of", "csv=p=0", str(out)], check=True,
                           capture_output=True, text=True).stdout.strip()
    assert codec == "h264"
    # x264 writes its options into the stream: ultrafast is the only preset
    # without CABAC.
    assert b"cabac=0" in data


def test_cancel_in_the_save_dialog_writes_nothing(viewer, player, tmp_path):
    player.paused_at(RECORDING, 0.5)
    viewer.focus()
    before = len(viewer.windows())
    viewer.key("c")
    wait_for(lambda: len(viewer.windows()) > before, what="the save dialog")
    viewer.key("ctrl+a")
    viewer.type(str(tmp_path / "cancelled.MOV"))
    viewer.key("Escape")
    wait_for(lambda: len(viewer.windows()) == before, what="the dialog closed")
    assert list(tmp_path.iterdir()) == []
    # The window takes its keys again.
    shown = player.settled_picture()
    viewer.focus()
    viewer.key("period")
    wait_for(lambda: player.picture() == (shown[0], shown[1] + 1), what="a step after the cancel")


def test_event_list_writes_the_seconds_around_an_event(viewer, player, programs, card, tmp_path):
    events = json.loads(subprocess.run([programs["cli"], "events", str(card), "--json"],
                                       check=True, capture_output=True).stdout)
    offsets = [e["offset_ms"] for e in events if e["recording"].endswith(RECORDING + ".MOV")]
    recording = player.names.index(RECORDING)
    player.paused_at(RECORDING, 0.5)
    viewer.focus()
    viewer.key("ctrl+e")
    window = viewer.window("イベント一覧")
    table = viewer.find("イベント一覧", "table", root=window)
    wait_for(lambda: table.queryTable().nRows == 20, what="the card's 20 events")
    button = viewer.find("前後を書き出す…", "push button", root=window)
    assert not viewer.state(button, "enabled"), "no event chosen yet"
    row = next(c for c in viewer.find_all(window, role="table cell", depth=12)
               if RECORDING in c.name)
    viewer.click(row)
    wait_for(lambda: viewer.state(button, "enabled"), what="the button enabled")
    viewer.click(button)
    out = tmp_path / "event.MOV"
    answer_file_dialog(viewer, str(out))
    confirm_done(viewer)
    shown = decoded_pictures(out)
    expected = [card_pictures(recording, (ms - BEFORE * 1000) * FPS // 1000,
                              -(-(ms + AFTER * 1000) * FPS // 1000) - 1) for ms in offsets]
    assert shown in expected, "decoded %s..%s, the events at %s ms" % (shown[:1], shown[-1:],
                                                                      offsets)
    viewer.focus("イベント一覧")
    viewer.key("Escape")

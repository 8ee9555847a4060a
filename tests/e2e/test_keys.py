"""Every key of the main window's key table, pressed on the real window
through the X server, in the play states where it acts, with its effect read
back from the picture, the controls and the windows it opens."""

import pytest

from viewer import FPS, RECORDING, near, wait_for


# key, where the picture starts (fraction of the recording), and what the
# picture must show after it (before and after are (recording, frame)).
PICTURE_KEYS = [
    ("period", 0.5, lambda b, a, ev: a == (b[0], b[1] + 1)),
    ("comma", 0.5, lambda b, a, ev: a == (b[0], b[1] - 1)),
    ("Right", 0.3, lambda b, a, ev: a[0] == b[0] and near(a[1], b[1] + 5 * FPS)),
    ("Left", 0.7, lambda b, a, ev: a[0] == b[0] and near(a[1], b[1] - 5 * FPS)),
    ("shift+Right", 0.3, lambda b, a, ev: a[0] == b[0] and near(a[1], b[1] + FPS)),
    ("shift+Left", 0.7, lambda b, a, ev: a[0] == b[0] and near(a[1], b[1] - FPS)),
    ("ctrl+Left", 0.7, lambda b, a, ev: a == (b[0], 0)),
    ("Home", 0.7, lambda b, a, ev: a == (b[0], 0)),
    ("Next", 0.5, lambda b, a, ev: a[0] == b[0] + 1),
    ("Prior", 0.5, lambda b, a, ev: a[0] == b[0] - 1),
    ("e", 0.1, lambda b, a, ev: a[0] == b[0] and near(a[1], min(e for e in ev if e > b[1]))),
    ("shift+e", 0.9, lambda b, a, ev: a[0] == b[0] and near(a[1], max(e for e in ev if e < b[1]))),
]


@pytest.mark.parametrize("key,start,shows", PICTURE_KEYS, ids=[k[0] for k in PICTURE_KEYS])
def test_key_moves_the_paused_picture(viewer, player, event_pictures, key, start, shows):
    before = player.paused_at(RECORDING, start)
    viewer.focus()
    viewer.key(key)
    shown = []
    try:
        wait_for(lambda: shown.append(player.picture()) or shows(before, shown[-1],
                                                                  event_pictures), 10)
    except AssertionError:
        pytest.fail("%s from %s showed %s (events at %s)" % (key, before, shown[-3:],
                                                             event_pictures))


def test_space_plays_and_pauses(viewer, player):
    player.paused_at(RECORDING, 0.1)
    viewer.focus()
    viewer.key("space")
    wait_for(player.playing, what="play after Space")
    first = player.picture()
    wait_for(lambda: player.picture()[1] > first[1] + 5, what="the picture moving")
    viewer.key("space")
    wait_for(lambda: not player.playing(), what="pause after Space")
    paused = player.settled_picture()
    assert player.settled_picture() == paused


@pytest.mark.parametrize("key", ["f", "double-click"])
def test_full_screen_and_escape(viewer, player, desktop, key):
    player.paused_at(RECORDING, 0.5)
    window = viewer.main_window()
    normal = viewer.extents(window)
    if key == "f":
        viewer.focus()
        viewer.key("f")
    else:
        viewer.click(player.video(), repeat=2)
    wait_for(lambda: viewer.extents(player.video())[2:] == desktop.size, what="full screen")
    viewer.focus()
    viewer.key("Escape")
    wait_for(lambda: viewer.extents(viewer.main_window()) == normal, what="the window back")


@pytest.mark.parametrize("key", ["question", "F1"])
def test_key_help(viewer, player, key):
    player.paused_at(RECORDING, 0.5)
    viewer.focus()
    viewer.key(key)
    help_window = viewer.window("キー操作一覧")
    # The help lists the keys it was opened by, and no key acts under it.
    assert viewer.find("キー操作一覧", "table", root=help_window)
    before = player.picture()
    viewer.key("period")
    assert player.settled_picture() == before
    viewer.click(viewer.find("閉じる", "push button", root=help_window))
    wait_for(lambda: "キー操作一覧" not in [w.name for w in viewer.windows()],
             what="the help closed")


def test_rates(viewer, player):
    player.paused_at(RECORDING, 0.0)
    player.play()

    def rate():
        labels = viewer.find_all(viewer.main_window(), role="label", depth=1)
        return next((n.name for n in labels if n.name.startswith("再生速度")), "")
    viewer.focus()
    # Slow first: ten seconds of recording leave no time for a slow machine
    # to read back x2 before its end. Backspace's x1 shows no label; what the
    # key after it gives proves it: "]" from x1 is x2 (from x0.5 it is x1),
    # "[" from x1 is x0.5 (from x2 it is x1).
    for keys, shown in [(["bracketleft"], "再生速度x0.5"),
                        (["BackSpace", "bracketright"], "再生速度x2.0"),
                        (["BackSpace", "bracketleft"], "再生速度x0.5")]:
        viewer.key(*keys)
        wait_for(lambda: rate() == shown, what="%s after %s" % (shown, keys))
    viewer.key("BackSpace")
    player.pause()


def test_mute_gives_the_level_back(viewer, player):
    player.paused_at(RECORDING, 0.5)
    volume = viewer.find("音量", "slider", root=viewer.main_window(), depth=1)
    level = viewer.value(volume)
    assert level > 0
    viewer.focus()
    viewer.key("m")
    wait_for(lambda: viewer.value(volume) == 0, what="muted")
    viewer.key("m")
    wait_for(lambda: viewer.value(volume) == level, what="the level back")

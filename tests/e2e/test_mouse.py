"""The mouse on the real window: the G-sensor graph's clicks, the panel's
axis toggles and labels, the seek slider, the control-bar and title buttons
and the picture's popup menu, each read back from the picture and the
accessibility tree."""

import pytest

from viewer import PAUSE, PLAY, RECORDING, near, wait_for

def test_every_control_has_a_name(viewer, player):
    player.paused_at(RECORDING, 0.5)
    unnamed = [(n.getRoleName(), viewer.extents(n))
               for n in viewer.find_all(viewer.main_window(), depth=3)
               if n.getRoleName() in ("push button", "check box", "slider", "list", "tree",
                                      "frame", "combo box") and not n.name]
    assert unnamed == []


@pytest.mark.parametrize("button,start,forwards", [(3, 0.1, True), (1, 0.9, False)],
                         ids=["right-next", "left-previous"])
def test_graph_click_jumps_to_an_event(viewer, player, event_pictures, button, start, forwards):
    before = player.paused_at(RECORDING, start)
    viewer.click(viewer.find("Gセンサー", root=viewer.main_window(), depth=1), button=button)
    after = player.settled_picture()
    if forwards:
        expected = min(e for e in event_pictures if e > before[1])
    else:
        expected = max(e for e in event_pictures if e < before[1])
    assert after[0] == before[0] and near(after[1], expected), (before, after, event_pictures)


@pytest.mark.parametrize("target", ["toggle", "label"])
def test_axis_toggles(viewer, player, target):
    player.paused_at(RECORDING, 0.5)
    toggle = viewer.find("左右(Y軸)", "check box", root=viewer.main_window())
    checked = viewer.state(toggle, "checked")
    x, y, w, h = viewer.extents(toggle)
    # The label is drawn to the right of its toggle.
    point = (x + w // 2, y + h // 2) if target == "toggle" else (x + w + 20, y + h // 2)
    for expected in (not checked, checked):
        viewer.click_at(*point)
        wait_for(lambda: viewer.state(toggle, "checked") == expected, what="the axis toggled")


def test_slider_press_and_drag(viewer, player):
    player.paused_at(RECORDING, 0.2)
    slider = player.seek_slider()
    x, y, w, h = viewer.extents(slider)
    viewer.click_at(x + w * 3 // 4, y + h // 2)
    assert near(player.settled_picture()[1], 225, 8)
    viewer.drag((x + w * 3 // 4, y + h // 2), (x + w // 4, y + h // 2))
    assert near(player.settled_picture()[1], 75, 8)


def test_bar_buttons(viewer, player):
    before = player.paused_at(RECORDING, 0.5)
    viewer.click(player.button("先頭"))
    wait_for(lambda: player.picture() == (before[0], 0), what="the first picture")
    viewer.click(player.button("次"))
    wait_for(lambda: player.picture()[0] == before[0] + 1, what="the next recording")
    viewer.click(player.button("前"))
    wait_for(lambda: player.picture()[0] == before[0], what="the previous recording")
    # The previous and next recordings play as they open.
    player.pause()
    viewer.click(player.button(PLAY))
    wait_for(player.playing, what="play")
    viewer.click(player.button(PAUSE))
    wait_for(lambda: not player.playing(), what="pause")


def test_size_button_cycles_the_modes(viewer, player):
    window = viewer.main_window()
    # The three modes' pictures: 656 x 373, 868 x 493 and 1108 x 628.
    sizes = [viewer.extents(player.video())[2:]]
    for _ in range(3):
        size_button = [b for b in viewer.find_all(window, role="push button", depth=1)
                       if b.name in ("大", "中", "小")][0]
        viewer.click(size_button)
        wait_for(lambda: viewer.extents(player.video())[2:] != sizes[-1], what="a new layout")
        sizes.append(viewer.extents(player.video())[2:])
    assert sizes == [(656, 373), (868, 493), (1108, 628), (656, 373)], sizes


@pytest.mark.parametrize("choose", ["pointer", "keys"])
def test_popup_menu_steps_a_picture(viewer, player, choose):
    before = player.paused_at(RECORDING, 0.5)
    x, y, w, h = viewer.extents(player.video())
    menu = viewer.popup_menu(x + w // 4, y + h // 4)
    item = viewer.find("1コマ進む", "menu item", root=menu)
    if choose == "pointer":
        viewer.click(item)
    else:
        # From the bottom: the key help, the step back, the step forward.
        viewer.key("Up", "Up", "Up", "Return")
    assert player.settled_picture() == (before[0], before[1] + 1)


def rows(viewer):
    return [n.name for n in viewer.find_all(viewer.main_window(), role="list item")]


def test_folder_tree_and_filters(viewer, player):
    player.paused_at(RECORDING, 0.5)
    window = viewer.main_window()
    viewer.click(viewer.find("101MEDIA", "table cell", root=window))
    wait_for(lambda: rows(viewer) == ["0613091700_P", "0613091710_S", "0613091720_A"],
             what="the second folder listed")
    viewer.click(viewer.find("100MEDIA", "table cell", root=window))
    wait_for(lambda: rows(viewer) == ["0612083000_A", RECORDING, "0612083020_G"],
             what="the first folder listed")
    # The manual recordings' filter hides the "_M" row, and shows it again.
    manual = viewer.find("マニュアル", "push button", root=window)
    viewer.click(manual)
    wait_for(lambda: rows(viewer) == ["0612083000_A", "0612083020_G"], what="M filtered out")
    viewer.click(manual)
    wait_for(lambda: len(rows(viewer)) == 3, what="M shown again")

"""Reads the generator's frame barcode from a screenshot of the picture: a
strip of 24 black or white blocks across the top of the picture, bit i of
frame + (recording << 16) white when set (tools/mkcard/frame_barcode.h)."""

BITS = 24


def picture_rect(surface, picture_size):
    """Where a picture of `picture_size` shows, its aspect kept, centred in
    the surface's (x, y, width, height)."""
    x, y, w, h = surface
    pw, ph = picture_size
    if w * ph > h * pw:
        shown = (h * pw // ph, h)
    else:
        shown = (w, w * ph // pw)
    return x + (w - shown[0]) // 2, y + (h - shown[1]) // 2, shown[0], shown[1]


def strip_rect(shown, source_height):
    """The rectangle of the strip in a picture shown at `shown` (x, y, width,
    height) whose source is `source_height` lines high."""
    x, y, w, h = shown
    return x, y, w, max(8, source_height // 16 // 2 * 2) * h // source_height


def read(strip):
    """The (recording, frame) of the screenshot `strip` of the barcode's
    strip, or None when a block is neither clearly black nor white."""
    top, bottom = strip.height // 4, strip.height - strip.height // 4
    value = 0
    for bit in range(BITS):
        left = (4 * bit + 1) * strip.width // (4 * BITS)
        right = max(left + 1, (4 * bit + 3) * strip.width // (4 * BITS))
        total = sum(strip.grey(x, y) for y in range(top, bottom) for x in range(left, right))
        mean = total // ((bottom - top) * (right - left))
        if mean > 160:
            value |= 1 << bit
        elif mean >= 96:
            return None
    return value >> 16, value & 0xFFFF

#!/usr/bin/env python3
"""Writes the sample artwork of Access Nimbook II into OUTDIR.

Usage: make_images.py OUTDIR

Every bitmap is an uncompressed 24-bit BMP (bottom-up, rows padded to four
bytes). The output is the same, byte for byte, on every run. Pictures that
sit on the main window (bars, icons, buttons) are drawn over a cut-out of the
main background, so their corners blend with it.

Sizes follow the main window's pixel layout where it gives one (800 x 600
background, 235 x 26 category bars). Elsewhere they follow the dialog-unit
rectangles of the controls and dialogs that show them. Those come out in
pixels from the Arial 10 dialog base units: 7 x 16 with Windows' Arial,
8 x 15 with Wine's Liberation Sans. So each such bitmap covers the control
under both, and its drawing stays inside the part common to both, starting
at the top left, where the copy starts:

  picture                    dialog units  7 x 16     8 x 15     bitmap
  web-link icon              45 x 38       79 x 76    90 x 71    79 x 76 (*)
  close, minimize            8 x 8         14 x 16    16 x 15    16 x 16
  Go button                  18 x 14       32 x 28    36 x 26    36 x 28
  CD dialog background       253 x 169     443 x 338  506 x 317  506 x 338
  CD dialog OK picture       48 x 12       84 x 24    96 x 23    96 x 24
  Internet dialog background 255 x 210     446 x 420  510 x 394  510 x 420

(*) The web-link icon stops at 79 pixels, where the link's text starts (x 665 =
585 + 80): a wider picture would paint over the text's first letter.

Pictures shown by bitmap statics size their control themselves: the left
picture (72 x 72, the largest the side-image editor asks for, and its
template's 41 x 36 at 7 x 16) and the centre picture (23 x 22).
"""

import math
import os
import struct
import sys

import make_swf

# Palette of the assistant.
NAVY = (0, 17, 40)
GOLD = (238, 181, 4)
WHITE = (255, 255, 255)
LINK_COLOURS = [(30, 110, 210), (30, 150, 80), (220, 120, 20), (200, 40, 60)]


def mix(a, b, t):
    """Colour between a (t = 0) and b (t = 1)."""
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


def lighter(c, t=0.35):
    return mix(c, WHITE, t)


class Canvas:
    """An RGB picture, rows top to bottom, with a few filling primitives."""

    def __init__(self, w, h, colour=NAVY):
        self.w, self.h = w, h
        self.rows = [bytearray(bytes(colour) * w) for _ in range(h)]

    def span(self, y, x0, x1, colour):
        x0, x1 = max(0, x0), min(self.w, x1)
        if 0 <= y < self.h and x0 < x1:
            self.rows[y][3 * x0:3 * x1] = bytes(colour) * (x1 - x0)

    def _fill(self, y0, y1, extent, top, bottom=None):
        """Fills rows y0..y1-1; extent(y) gives the row's (x0, x1) or None."""
        for y in range(max(0, y0), min(self.h, y1)):
            ext = extent(y)
            if ext:
                t = (y - y0) / max(1, y1 - y0 - 1)
                self.span(y, ext[0], ext[1], mix(top, bottom or top, t))

    def rect(self, x, y, w, h, top, bottom=None):
        self._fill(y, y + h, lambda _: (x, x + w), top, bottom)

    def round_rect(self, x, y, w, h, r, top, bottom=None):
        def extent(row):
            d = max(y + r - (row + 0.5), (row + 0.5) - (y + h - r), 0)
            inset = r - math.sqrt(max(0.0, r * r - d * d)) if d else 0
            return (x + int(round(inset)), x + w - int(round(inset)))
        self._fill(y, y + h, extent, top, bottom)

    def ellipse(self, cx, cy, rx, ry, top, bottom=None):
        def extent(row):
            t = (row + 0.5 - cy) / ry
            if abs(t) >= 1:
                return None
            half = rx * math.sqrt(1 - t * t)
            return (int(round(cx - half)), int(round(cx + half)))
        self._fill(int(math.floor(cy - ry)), int(math.ceil(cy + ry)), extent, top, bottom)

    def circle(self, cx, cy, r, top, bottom=None):
        self.ellipse(cx, cy, r, r, top, bottom)

    def ring(self, cx, cy, r, width, colour, inner):
        self.circle(cx, cy, r, colour)
        self.circle(cx, cy, r - width, inner)

    def polygon(self, points, colour):
        ys = [p[1] for p in points]
        for y in range(max(0, int(min(ys))), min(self.h, int(math.ceil(max(ys))))):
            yc, xs = y + 0.5, []
            for (xa, ya), (xb, yb) in zip(points, points[1:] + points[:1]):
                if (ya <= yc) != (yb <= yc):
                    xs.append(xa + (yc - ya) * (xb - xa) / (yb - ya))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                self.span(y, int(math.ceil(a - 0.5)), int(math.ceil(b - 0.5)), colour)

    def line(self, x0, y0, x1, y1, width, colour):
        length = math.hypot(x1 - x0, y1 - y0) or 1
        nx, ny = (y0 - y1) / length * width / 2, (x1 - x0) / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], colour)

    def crop(self, x, y, w, h):
        part = Canvas(w, h)
        for row in range(h):
            part.rows[row][:] = self.rows[y + row][3 * x:3 * (x + w)]
        return part

    def save(self, path):
        stride = (3 * self.w + 3) & ~3
        pad = bytes(stride - 3 * self.w)
        pixels = bytearray()
        for row in reversed(self.rows):  # bottom-up
            bgr = bytearray(row)
            bgr[0::3], bgr[2::3] = row[2::3], row[0::3]
            pixels += bgr + pad
        header = struct.pack('<2sIHHI', b'BM', 54 + len(pixels), 0, 0, 54)
        info = struct.pack('<IiiHHIIiiII', 40, self.w, self.h, 1, 24, 0,
                           len(pixels), 2835, 2835, 0, 0)
        with open(path, 'wb') as f:
            f.write(header + info + pixels)


# --- main window -----------------------------------------------------------

CATEGORY_Y = [172, 222, 271, 321, 370]
ICON_Y = [168, 260, 356, 452]


def background(with_logo):
    bg = Canvas(800, 600)
    bg.rect(0, 0, 800, 600, (10, 38, 86), (3, 14, 38))
    bg.rect(0, 0, 800, 96, (34, 84, 152), (12, 40, 92))     # top band
    bg.rect(0, 96, 800, 3, GOLD)
    bg.rect(0, 99, 800, 1, (4, 12, 30))
    bg.rect(0, 536, 800, 64, (8, 26, 60), (2, 8, 24))       # bottom band
    bg.rect(0, 535, 800, 1, (60, 110, 180))
    for x, w in ((36, 538), (578, 214)):                    # content and link panels
        top = 108 if x == 36 else 150
        bg.round_rect(x, top, w, 530 - top, 16, (60, 110, 180))
        bg.round_rect(x + 2, top + 2, w - 4, 526 - top, 14, (14, 48, 104), (5, 22, 54))
    # Faint notebook in the middle of the content panel.
    shade = (17, 52, 110)
    bg.round_rect(356, 180, 180, 120, 8, shade)
    bg.round_rect(364, 188, 164, 104, 4, (12, 42, 92), (9, 34, 80))
    bg.polygon([(344, 304), (548, 304), (566, 330), (326, 330)], shade)
    if with_logo:  # Corvane mark at the left of the top band
        bg.ring(56, 48, 34, 7, GOLD, (24, 62, 122))
        bg.rect(70, 34, 24, 28, (24, 62, 122))
        bg.circle(56, 48, 12, WHITE)
        bg.circle(56, 48, 6, (24, 62, 122))
    return bg


def category_bar(bg, y, accent, high):
    bar = bg.crop(61, y, 235, 26)
    edge = GOLD if high else (80, 140, 210)
    top, bottom = ((70, 140, 220), (30, 80, 160)) if high else ((32, 84, 156), (12, 42, 94))
    bar.round_rect(0, 0, 235, 26, 13, edge)
    bar.round_rect(2, 2, 231, 22, 11, top, bottom)
    bar.rect(12, 3, 211, 1, lighter(top, 0.3))               # gloss line
    bar.circle(213, 13, 6, GOLD if high else accent)
    bar.polygon([(210, 9), (218, 13), (210, 17)], NAVY if high else WHITE)
    return bar


def link_icon(bg, n, high):
    icon = bg.crop(585, ICON_Y[n], 79, 76)
    base = lighter(LINK_COLOURS[n], 0.3) if high else LINK_COLOURS[n]
    if high:
        icon.circle(39.5, 36, 34, GOLD)
    icon.circle(39.5, 36, 30, lighter(base, 0.25), base)
    if n == 0:    # globe
        icon.ring(39.5, 36, 20, 3, WHITE, base)
        icon.ellipse(39.5, 36, 9, 20, WHITE)
        icon.ellipse(39.5, 36, 6, 17, base)
        for y in (25, 35, 45):
            icon.rect(20, y, 40, 2, WHITE)
    elif n == 1:  # registration card and pen
        icon.rect(24, 18, 28, 38, WHITE)
        for y in (25, 32, 39):
            icon.rect(29, y, 18, 2, base)
        icon.line(40, 50, 58, 26, 5, GOLD)
        icon.polygon([(37, 54), (38, 47), (42, 50)], NAVY)
    elif n == 2:  # shopping bag
        icon.ring(39.5, 26, 10, 3, WHITE, base)
        icon.rect(23, 28, 34, 28, WHITE)
        icon.rect(27, 32, 26, 3, base)
    else:         # download arrow
        icon.rect(34, 16, 12, 20, WHITE)
        icon.polygon([(24, 35), (56, 35), (40, 51)], WHITE)
        icon.rect(24, 54, 32, 4, WHITE)
    return icon


def caption_button(bg, x, close):
    pic = bg.crop(x, 11, 16, 16)
    pic.round_rect(0, 0, 14, 14, 3, (90, 150, 220))
    pic.round_rect(1, 1, 12, 12, 2, (40, 90, 160), (16, 50, 108))
    if close:
        pic.line(4, 4, 10, 10, 2, WHITE)
        pic.line(10, 4, 4, 10, 2, WHITE)
    else:
        pic.rect(4, 9, 6, 2, WHITE)
    return pic


def go_button(bg, high):
    pic = bg.crop(292, 452, 36, 28)
    pic.round_rect(0, 0, 32, 26, 7, (120, 80, 0) if not high else WHITE)
    pic.round_rect(1, 1, 30, 24, 6, (250, 214, 80) if high else GOLD,
                   (220, 150, 0) if high else (170, 110, 0))
    pic.polygon([(12, 7), (22, 13), (12, 19)], NAVY)
    return pic


def centre_marker(bg):
    pic = bg.crop(302, 130, 23, 22)
    pic.polygon([(6, 4), (18, 11), (6, 18)], GOLD)
    return pic


def side_image(bg, n):
    """Image0 (default) and the pictures of lines 1 to 5."""
    pic = bg.crop(230, 100, 72, 72)
    pic.round_rect(0, 0, 72, 72, 10, (90, 150, 220))
    pic.round_rect(2, 2, 68, 68, 8, (150, 200, 250), (40, 100, 180))
    if n == 0:    # the Nimbook
        pic.round_rect(16, 14, 40, 30, 3, (50, 56, 66))
        pic.rect(19, 17, 34, 24, (40, 110, 210), (120, 190, 250))
        pic.polygon([(14, 46), (58, 46), (64, 56), (8, 56)], (70, 76, 86))
        pic.rect(30, 50, 12, 2, GOLD)
    elif n == 1:  # star
        pts = []
        for k in range(10):
            r = 26 if k % 2 == 0 else 11
            a = math.pi * (k / 5 - 0.5)
            pts.append((36 + r * math.cos(a), 38 + r * math.sin(a)))
        pic.polygon(pts, GOLD)
    elif n == 2:  # gear
        for k in range(8):
            a = math.pi * k / 4
            pic.line(36 - 24 * math.cos(a), 36 - 24 * math.sin(a),
                     36 + 24 * math.cos(a), 36 + 24 * math.sin(a), 9, (220, 226, 236))
        pic.circle(36, 36, 18, (220, 226, 236))
        pic.circle(36, 36, 7, (60, 110, 180))
    elif n == 3:  # light bulb
        pic.circle(36, 30, 17, (255, 236, 120), GOLD)
        pic.rect(29, 44, 14, 14, (200, 204, 212))
        pic.rect(29, 48, 14, 2, (120, 124, 132))
        pic.rect(29, 53, 14, 2, (120, 124, 132))
    elif n == 4:  # first-aid kit
        pic.round_rect(12, 18, 48, 38, 5, (210, 30, 40))
        pic.rect(31, 24, 10, 26, WHITE)
        pic.rect(23, 32, 26, 10, WHITE)
        pic.rect(28, 12, 16, 6, (160, 20, 30))
    else:         # envelope
        pic.rect(12, 20, 48, 32, WHITE)
        pic.polygon([(12, 20), (60, 20), (36, 40)], (200, 210, 225))
        pic.line(12, 51, 30, 36, 2, (200, 210, 225))
        pic.line(60, 51, 42, 36, 2, (200, 210, 225))
    return pic


# --- dialogs ---------------------------------------------------------------

def dialog_background(w, h):
    """The welcome dialogs' ground: a dark blue gradient under a gold line."""
    bg = Canvas(w, h)
    bg.rect(0, 0, w, h, (14, 46, 100), (3, 14, 38))
    bg.rect(0, 0, w, 2, GOLD)
    return bg


def cd_background():
    bg = dialog_background(506, 338)
    bg.ring(404, 290, 64, 40, (22, 60, 120), (14, 40, 84))  # compact disc
    bg.circle(404, 290, 9, (4, 16, 40))
    return bg


def cd_button(bg):
    pic = bg.crop(340, 296, 96, 24)
    pic.round_rect(0, 0, 84, 23, 8, GOLD)
    pic.round_rect(2, 2, 80, 19, 6, (50, 110, 190), (16, 50, 110))
    return pic


def internet_background():
    bg = dialog_background(510, 420)
    bg.ring(390, 330, 56, 6, (24, 64, 124), (8, 28, 64))     # globe watermark
    bg.ellipse(390, 330, 22, 56, (24, 64, 124))
    bg.ellipse(390, 330, 16, 50, (8, 28, 64))
    bg.rect(334, 328, 112, 5, (24, 64, 124))
    return bg


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: make_images.py OUTDIR')
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)

    def save(name, canvas):
        canvas.save(os.path.join(out, name))

    plain = background(False)
    save('BkgdNoLg.bmp', plain)
    save('BkgdLogo.bmp', background(True))
    for n, (y, accent) in enumerate(zip(CATEGORY_Y, LINK_COLOURS + [GOLD])):
        save('L%dRest.bmp' % (n + 1), category_bar(plain, y, accent, False))
        save('L%dHigh.bmp' % (n + 1), category_bar(plain, y, accent, True))
    for n in range(4):
        save('Icon%d.bmp' % (n + 1), link_icon(plain, n, False))
        save('Icon%d_hi.bmp' % (n + 1), link_icon(plain, n, True))
    save('minimize.bmp', caption_button(plain, 747, False))
    save('close.bmp', caption_button(plain, 768, True))
    save('gobtn_re.bmp', go_button(plain, False))
    save('gobtn_hi.bmp', go_button(plain, True))
    save('cntrRest.bmp', centre_marker(plain))
    for n in range(6):
        save('Image%d.bmp' % n, side_image(plain, n))
    cd = cd_background()
    save('CDBkgd.bmp', cd)
    save('CDButton.bmp', cd_button(cd))
    save('InetBkgd.bmp', internet_background())
    with open(os.path.join(out, 'corvane.swf'), 'wb') as f:
        f.write(make_swf.movie())


if __name__ == '__main__':
    main()

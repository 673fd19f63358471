#!/usr/bin/env python3
"""Writes NbCustomize.ico, the customization tool's icon, beside this script.

Usage: make_icon.py [OUTFILE]

The icon holds a 32 x 32 and a 16 x 16 image, each a 32-bit BMP with alpha
and an AND mask. It shows a Nimbook on a dark-blue tile with a gold pencil.
The output is the same, byte for byte, on every run.
"""

import math
import os
import struct
import sys

NAVY = (0, 17, 40, 255)
EDGE = (60, 110, 180, 255)
SCREEN = (40, 120, 220, 255)
BODY = (200, 206, 216, 255)
GOLD = (238, 181, 4, 255)
CLEAR = (0, 0, 0, 0)


class Image:
    """RGBA pixels, rows top to bottom, drawn in a 32-unit coordinate space."""

    def __init__(self, size):
        self.size, self.k = size, size / 32.0
        self.px = [[CLEAR] * size for _ in range(size)]

    def shape(self, inside, colour):
        """Sets every pixel whose centre, in 32-unit coordinates, is inside."""
        for y in range(self.size):
            for x in range(self.size):
                if inside((x + 0.5) / self.k, (y + 0.5) / self.k):
                    self.px[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour)

    def round_rect(self, x0, y0, x1, y1, r, colour):
        def inside(x, y):
            dx = max(x0 + r - x, x - (x1 - r), 0)
            dy = max(y0 + r - y, y - (y1 - r), 0)
            return x0 <= x < x1 and y0 <= y < y1 and dx * dx + dy * dy <= r * r
        self.shape(inside, colour)

    def bar(self, ax, ay, bx, by, width, colour):
        """A straight stroke from (ax, ay) to (bx, by)."""
        length = math.hypot(bx - ax, by - ay)

        def inside(x, y):
            t = ((x - ax) * (bx - ax) + (y - ay) * (by - ay)) / (length * length)
            d = abs((x - ax) * (by - ay) - (y - ay) * (bx - ax)) / length
            return 0 <= t <= 1 and d <= width / 2
        self.shape(inside, colour)

    def entry_data(self):
        n = self.size
        xor = bytearray()
        for row in reversed(self.px):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        stride = ((n + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(self.px):
            bits = bytearray(stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0,
                             len(xor) + len(mask), 0, 0, 0, 0)
        return header + xor + mask


def draw(size):
    img = Image(size)
    img.round_rect(0, 0, 32, 32, 6, EDGE)
    img.round_rect(1.5, 1.5, 30.5, 30.5, 5, NAVY)
    img.rect(7, 7, 25, 19, BODY)        # lid
    img.rect(9, 9, 23, 17, SCREEN)      # screen
    img.rect(4, 20, 28, 24, BODY)       # keyboard base
    img.bar(17, 26, 28, 13, 4, GOLD)    # pencil
    img.bar(15.5, 27.5, 17.5, 25.5, 2.5, (250, 222, 170, 255))  # tip
    return img


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), 'NbCustomize.ico')
    images = [draw(32).entry_data(), draw(16).entry_data()]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, blob in zip((32, 16), images):
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(out, 'wb') as f:
        f.write(data + b''.join(images))


if __name__ == '__main__':
    main()

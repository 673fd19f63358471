"""The sample's Flash band, corvane.swf, written tag by tag.

240 x 130 pixels at 12 frames per second, 24 frames (two seconds): a rounded
gradient backdrop with a gold outline, the product name in an embedded block
font, a shape tween (a square turning into a circle) and a sprite (a ball
with a spinning highlight, its own four-frame timeline ending in a stop)
moving across. The last frame holds a stop action. The stage's corners stay
empty, so a transparent player shows its window's background there. The
movie is zlib-compressed (CWS).
"""
import struct
import zlib

TWIPS = 20
WIDTH, HEIGHT, FPS, FRAMES = 240, 130, 12, 24
NAME = 'Access Nimbook II'


class Bits:
    def __init__(self):
        self.bits = []

    def ub(self, v, n):
        self.bits += [(v >> (n - 1 - i)) & 1 for i in range(n)]

    def sb(self, v, n):
        self.ub(v & ((1 << n) - 1), n)

    def data(self):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int(''.join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def nbits(*values):
    """Bits for signed fields holding every value."""
    return max([1] + [(v if v >= 0 else ~v).bit_length() + 1 for v in values])


def rect(x0, x1, y0, y1):
    b = Bits()
    n = nbits(x0, x1, y0, y1)
    b.ub(n, 5)
    for v in (x0, x1, y0, y1):
        b.sb(v, n)
    return b.data()


def matrix(tx=0, ty=0, scale=None):
    b = Bits()
    if scale is None:
        b.ub(0, 1)
    else:
        s = [int(round(v * 65536)) for v in scale]
        n = nbits(*s)
        b.ub(1, 1)
        b.ub(n, 5)
        b.sb(s[0], n)
        b.sb(s[1], n)
    b.ub(0, 1)
    n = nbits(tx, ty) if (tx or ty) else 0
    b.ub(n, 5)
    if n:
        b.sb(tx, n)
        b.sb(ty, n)
    return b.data()


def tag(code, body=b''):
    if len(body) < 63:
        return struct.pack('<H', code << 6 | len(body)) + body
    return struct.pack('<HI', code << 6 | 63, len(body)) + body


def rgba(c, a=255):
    return bytes(c) + bytes([a])


class Edges:
    """Shape records: style changes with moves, straight and curved edges."""

    def __init__(self, fill_bits=1, line_bits=0):
        self.b = Bits()
        self.fb, self.lb = fill_bits, line_bits
        self.b.ub(fill_bits, 4)
        self.b.ub(line_bits, 4)

    def move(self, x, y, fill0=None, fill1=None, line=None):
        b = self.b
        b.ub(0, 1)
        flags = 1 | (2 if fill0 is not None else 0) | (4 if fill1 is not None else 0) | (8 if line is not None else 0)
        b.ub(flags, 5)
        n = nbits(x, y)
        b.ub(n, 5)
        b.sb(x, n)
        b.sb(y, n)
        for v, width in ((fill0, self.fb), (fill1, self.fb), (line, self.lb)):
            if v is not None:
                b.ub(v, width)
        return self

    def line(self, dx, dy):
        n = max(nbits(dx, dy), 2)
        self.b.ub(0b11, 2)
        self.b.ub(n - 2, 4)
        self.b.ub(1, 1)
        self.b.sb(dx, n)
        self.b.sb(dy, n)
        return self

    def curve(self, cx, cy, ax, ay):
        n = max(nbits(cx, cy, ax, ay), 2)
        self.b.ub(0b10, 2)
        self.b.ub(n - 2, 4)
        for v in (cx, cy, ax, ay):
            self.b.sb(v, n)
        return self

    def data(self):
        self.b.ub(0, 6)
        return self.b.data()


def rounded_rect(e, x, y, w, h, r):
    """A closed rounded rectangle from (x + r, y), clockwise on screen."""
    e.line(w - 2 * r, 0).curve(r, 0, 0, r).line(0, h - 2 * r).curve(0, r, -r, 0)
    e.line(-(w - 2 * r), 0).curve(-r, 0, 0, -r).line(0, -(h - 2 * r)).curve(0, -r, r, 0)


def backdrop(cid):
    x, y, w, h, r = (t * TWIPS for t in (8, 10, 224, 110, 14))
    fill = b'\x10' + matrix(x + w // 2, 0, (w / 32768, 1)) + bytes([3]) + \
        b'\x00' + rgba((10, 40, 110), 240) + b'\x80' + rgba((30, 90, 170), 240) + b'\xff' + rgba((10, 120, 140), 220)
    styles = b'\x01' + fill + b'\x01' + struct.pack('<H', 40) + rgba((238, 181, 4))
    e = Edges(1, 1).move(x + r, y, fill1=1, line=1)
    rounded_rect(e, x, y, w, h, r)
    return tag(32, struct.pack('<H', cid) + rect(x - 40, x + w + 40, y - 40, y + h + 40) + styles + e.data())


# A 5 x 7 block font for the letters of the name.
GLYPHS = {
    'A': ['01110', '10001', '10001', '11111', '10001', '10001', '10001'],
    'c': ['00000', '00000', '01111', '10000', '10000', '10000', '01111'],
    'e': ['00000', '00000', '01110', '10001', '11111', '10000', '01110'],
    's': ['00000', '00000', '01111', '10000', '01110', '00001', '11110'],
    ' ': ['00000'] * 7,
    'N': ['10001', '11001', '10101', '10011', '10001', '10001', '10001'],
    'i': ['00100', '00000', '01100', '00100', '00100', '00100', '01110'],
    'm': ['00000', '00000', '11010', '10101', '10101', '10101', '10101'],
    'b': ['10000', '10000', '11110', '10001', '10001', '10001', '11110'],
    'o': ['00000', '00000', '01110', '10001', '10001', '10001', '01110'],
    'k': ['10000', '10000', '10010', '10100', '11000', '10100', '10010'],
    'I': ['01110', '00100', '00100', '00100', '00100', '00100', '01110'],
}
CHARS = sorted(GLYPHS)
CELL = 128  # glyph units (1024 to the em)


def glyph_shape(rows):
    e = Edges(1, 0)
    for row, bits in enumerate(rows):
        col = 0
        while col < 5:
            if bits[col] != '1':
                col += 1
                continue
            end = col
            while end < 5 and bits[end] == '1':
                end += 1
            x, y = col * CELL, (row - 7) * CELL
            e.move(x, y, fill1=1).line((end - col) * CELL, 0).line(0, CELL).line(-(end - col) * CELL, 0).line(0, -CELL)
            col = end
    return e.data()


def font(cid):
    shapes = [glyph_shape(GLYPHS[c]) for c in CHARS]
    offsets, pos = [], 2 * len(shapes) + 2
    for s in shapes:
        offsets.append(pos)
        pos += len(s)
    body = struct.pack('<HBBB', cid, 0x04, 1, 4) + b'Band' + struct.pack('<H', len(shapes))
    body += b''.join(struct.pack('<H', o) for o in offsets) + struct.pack('<H', pos)
    body += b''.join(shapes) + b''.join(struct.pack('<H', ord(c)) for c in CHARS)
    return tag(48, body)


def text(cid, font_id):
    height = 16 * TWIPS
    advance = height * 6 // 8
    glyph_bits, advance_bits = 4, nbits(advance)
    b = Bits()
    for c in NAME:
        b.ub(CHARS.index(c), glyph_bits)
        b.sb(advance, advance_bits)
    record = bytes([0x80 | 0x08 | 0x04 | 0x01 | 0x02]) + struct.pack('<H', font_id) + rgba((238, 181, 4)) + \
        struct.pack('<hhH', 0, 0, height) + bytes([len(NAME)]) + b.data()
    bounds = rect(0, advance * len(NAME), -height, 0)
    return tag(33, struct.pack('<H', cid) + bounds + matrix(18 * TWIPS, 50 * TWIPS) +
               bytes([glyph_bits, advance_bits]) + record + b'\x00')


def morph(cid):
    """A 24-pixel square at (28, 66) turning into a circle of the same size, red into gold."""
    x, y, s = 28 * TWIPS, 66 * TWIPS, 24 * TWIPS
    h = s // 2
    fills = b'\x01\x00' + rgba((200, 50, 40)) + rgba((238, 181, 4))
    lines = b'\x00'
    start = Edges(1, 0).move(x, y, fill1=1).line(s, 0).line(0, s).line(-s, 0).line(0, -s).data()
    end = Edges(1, 0).move(x + h, y).curve(h, 0, 0, h).curve(0, h, -h, 0).curve(-h, 0, 0, -h).curve(0, -h, h, 0).data()
    bounds = rect(x, x + s, y, y + s)
    styles = fills + lines
    return tag(46, struct.pack('<H', cid) + bounds + bounds + struct.pack('<I', len(styles) + len(start)) +
               styles + start + end)


def ball(cid):
    r = 9 * TWIPS
    fill = b'\x12' + matrix(0, 0, (r / 16384, r / 16384)) + bytes([2]) + \
        b'\x00' + rgba((255, 240, 180)) + b'\xff' + rgba((200, 120, 0))
    e = Edges(1, 0).move(r, 0, fill1=1).curve(0, r, -r, 0).curve(-r, 0, 0, -r).curve(0, -r, r, 0).curve(r, 0, 0, r)
    return tag(32, struct.pack('<H', cid) + rect(-r, r, -r, r) + b'\x01' + fill + b'\x00' + e.data())


def spark(cid):
    """A short white stroke, the ball's highlight."""
    styles = b'\x00\x01' + struct.pack('<H', 40) + rgba((255, 255, 255), 200)
    e = Edges(0, 1).move(-60, -60, line=1).line(120, 120)
    return tag(32, struct.pack('<H', cid) + rect(-80, 80, -80, 80) + styles + e.data())


def place(depth, cid=None, tx=0, ty=0, ratio=None, move=False):
    flags = (1 if move else 0) | (2 if cid is not None else 0) | 4 | (0x10 if ratio is not None else 0)
    body = struct.pack('<BH', flags, depth)
    if cid is not None:
        body += struct.pack('<H', cid)
    body += matrix(tx, ty)
    if ratio is not None:
        body += struct.pack('<H', ratio)
    return tag(26, body)


def sprite(cid, ball_id, spark_id):
    """The ball with its highlight turning round it in four frames, then a stop."""
    tags = place(1, ball_id)
    for i, (dx, dy) in enumerate(((-3, -3), (3, -3), (3, 3), (-3, 3))):
        tags += place(2, spark_id if i == 0 else None, dx * TWIPS, dy * TWIPS, move=i > 0)
        if i == 3:
            tags += tag(12, b'\x07\x00')  # stop
        tags += tag(1)
    return tag(39, struct.pack('<HH', cid, 4) + tags + tag(0))


def movie():
    tags = tag(9, bytes((0, 17, 40)))  # navy, as the window around the band
    tags += backdrop(1) + font(2) + text(3, 2) + morph(4) + ball(5) + spark(6) + sprite(7, 5, 6)
    tags += place(1, 1) + place(3, 3)
    for f in range(FRAMES):
        ratio = f * 65535 // (FRAMES - 1)
        x = (20 + f * 190 // (FRAMES - 1)) * TWIPS
        tags += place(2, 4 if f == 0 else None, ratio=ratio, move=f > 0)
        tags += place(4, 7 if f == 0 else None, x, 104 * TWIPS, move=f > 0)
        if f == FRAMES - 1:
            tags += tag(43, b'end\x00') + tag(12, b'\x07\x00')
        tags += tag(1)
    tags += tag(0)
    body = rect(0, WIDTH * TWIPS, 0, HEIGHT * TWIPS) + struct.pack('<HH', FPS << 8, FRAMES) + tags
    return b'CWS' + bytes([8]) + struct.pack('<I', 8 + len(body)) + zlib.compress(body, 9)

#!/usr/bin/env python3
"""Draws the wizard's picture (wizard.bmp, 228 x 312, 24 bits) and the program icon
(tamrin.ico: 16, 32 and 48 pixels, 32 bits with alpha).

Plain Python, no imaging library: a small anti-aliased painter (4 x 4 samples per pixel)
that fills rectangles with rounded corners and circles. Run it from anywhere; it writes
next to itself:  python3 resources/make_artwork.py
"""
import os
import struct

SAMPLES = 4  # per axis


class Canvas:
    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.w, self.h = width, height
        self.px = [[list(background) for _ in range(width)] for _ in range(height)]

    def _blend(self, x, y, color, coverage):
        r, g, b = color[:3]
        a = (color[3] if len(color) > 3 else 1.0) * coverage
        if a <= 0:
            return
        p = self.px[y][x]
        out_a = a + p[3] * (1 - a)
        for i, c in enumerate((r, g, b)):
            p[i] = (c * a + p[i] * p[3] * (1 - a)) / out_a if out_a else 0
        p[3] = out_a

    def _fill(self, box, inside, color):
        x0, y0, x1, y1 = box
        step = 1.0 / SAMPLES
        for y in range(max(0, int(y0)), min(self.h, int(y1) + 1)):
            for x in range(max(0, int(x0)), min(self.w, int(x1) + 1)):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                if hits:
                    self._blend(x, y, color, hits / (SAMPLES * SAMPLES))

    def rect(self, x0, y0, x1, y1, color, radius=0.0):
        def inside(px, py):
            if not (x0 <= px < x1 and y0 <= py < y1):
                return False
            cx = min(max(px, x0 + radius), x1 - radius)
            cy = min(max(py, y0 + radius), y1 - radius)
            return (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius

        self._fill((x0, y0, x1, y1), inside, color)

    def circle(self, cx, cy, r, color, squash=1.0):
        def inside(px, py):
            return (px - cx) ** 2 + ((py - cy) / squash) ** 2 <= r * r

        self._fill((cx - r, cy - r * squash, cx + r, cy + r * squash), inside, color)

    def vertical_gradient(self, top, bottom):
        for y in range(self.h):
            t = y / (self.h - 1)
            c = [top[i] + (bottom[i] - top[i]) * t for i in range(3)]
            for x in range(self.w):
                self.px[y][x] = c + [1.0]


def rgb(hex_color, alpha=1.0):
    v = int(hex_color.lstrip('#'), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0, alpha)


def byte(v):
    return max(0, min(255, int(round(v * 255))))


def dot_text_row(c, x, y, width, seed, color):
    """A row of print-head dots that reads like a line of dot-matrix text."""
    state = seed
    pos = x
    while pos < x + width - 4:
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        word = 3 + state % 6
        for i in range(word):
            if pos >= x + width - 4:
                break
            for row in range(3):
                state = (state * 1103515245 + 12345) & 0x7FFFFFFF
                if state % 3:
                    c.circle(pos + 1, y + row * 2.2, 0.8, color)
            pos += 3
        pos += 4


def draw_printer(c, ox, oy, s):
    """The dot-matrix printer with continuous paper; (ox, oy) is the body's top left,
    s the scale (1.0 = the wizard picture)."""
    # Continuous-form paper rising out of the printer, with tractor strips and green bars.
    px0, px1 = ox + 30 * s, ox + 150 * s
    top = oy - 118 * s
    c.rect(px0 + 3 * s, top + 4 * s, px1 + 3 * s, oy + 4 * s, rgb('#000000', 0.25))
    c.rect(px0, top, px1, oy + 2 * s, rgb('#fbfbf7'))
    for i, y in enumerate(range(int(top + 6 * s), int(oy), max(1, int(14 * s)))):
        if i % 2 == 0:
            c.rect(px0 + 12 * s, y, px1 - 12 * s, y + 7 * s, rgb('#dff0df'))
    for y in range(int(top + 5 * s), int(oy), max(1, int(12 * s))):
        c.circle(px0 + 6 * s, y, 2.2 * s, rgb('#9aa6b2'))
        c.circle(px1 - 6 * s, y, 2.2 * s, rgb('#9aa6b2'))
    c.rect(px0 + 10.5 * s, top, px0 + 11.2 * s, oy, rgb('#c8ccd2'))
    c.rect(px1 - 11.2 * s, top, px1 - 10.5 * s, oy, rgb('#c8ccd2'))
    perforation = top + 52 * s
    for x in range(int(px0), int(px1), max(1, int(6 * s))):
        c.rect(x, perforation, x + 3 * s, perforation + 1 * s, rgb('#aab2bc'))
    if s >= 1.0:
        for i, y in enumerate((top + 14, top + 23, top + 32, top + 66, top + 75, top + 84, top + 93)):
            dot_text_row(c, px0 + 16, y, (px1 - px0 - 32) * (0.6 if i in (2, 6) else 1.0), 17 + i * 31,
                         rgb('#2c3440'))

    # Shadow, body, cover and the paper slot.
    c.circle(ox + 90 * s, oy + 94 * s, 92 * s, rgb('#000000', 0.22), squash=0.1)
    c.rect(ox - 4 * s, oy + 8 * s, ox + 4 * s, oy + 26 * s, rgb('#5b6470'), radius=2 * s)  # platen knob
    c.rect(ox, oy, ox + 180 * s, oy + 88 * s, rgb('#39414c'), radius=9 * s)
    c.rect(ox + 2 * s, oy + 2 * s, ox + 178 * s, oy + 86 * s, rgb('#e7eaee'), radius=8 * s)
    c.rect(ox + 2 * s, oy + 52 * s, ox + 178 * s, oy + 86 * s, rgb('#cfd4db'), radius=8 * s)
    c.rect(ox + 2 * s, oy + 52 * s, ox + 178 * s, oy + 60 * s, rgb('#cfd4db'))
    c.rect(ox + 2 * s, oy + 51 * s, ox + 178 * s, oy + 53 * s, rgb('#aeb5bf'))
    c.rect(ox + 22 * s, oy - 2 * s, ox + 158 * s, oy + 7 * s, rgb('#2a3038'), radius=3 * s)
    c.rect(ox + 28 * s, oy + 1 * s, ox + 152 * s, oy + 3 * s, rgb('#fbfbf7'))
    # Front: the output slot and vents.
    c.rect(ox + 18 * s, oy + 66 * s, ox + 118 * s, oy + 71 * s, rgb('#59616d'), radius=2 * s)
    for i in range(5):
        c.rect(ox + 20 * s + i * 8 * s, oy + 22 * s, ox + 24 * s + i * 8 * s, oy + 40 * s, rgb('#c3c9d1'),
               radius=1.5 * s)
    # Control panel with its lamps.
    c.rect(ox + 128 * s, oy + 16 * s, ox + 168 * s, oy + 44 * s, rgb('#2f3640'), radius=4 * s)
    c.circle(ox + 138 * s, oy + 30 * s, 3.5 * s, rgb('#3ee07a'))
    c.circle(ox + 150 * s, oy + 30 * s, 3.5 * s, rgb('#f2b233'))
    c.circle(ox + 160 * s, oy + 30 * s, 2.2 * s, rgb('#8a939e'))
    c.rect(ox + 128 * s, oy + 62 * s, ox + 168 * s, oy + 76 * s, rgb('#b8bfc8'), radius=3 * s)


def wizard_picture():
    c = Canvas(228, 312)
    c.vertical_gradient(rgb('#123a6b'), rgb('#2b8aa8'))
    for cx, cy, r, a in ((40, 60, 46, 0.07), (190, 30, 38, 0.06), (200, 250, 60, 0.06), (30, 290, 34, 0.05)):
        c.circle(cx, cy, r, rgb('#ffffff', a))
    draw_printer(c, 24, 168, 1.0)
    # A 24-pin and a 9-pin print head column as a quiet signature at the bottom.
    for i in range(12):
        c.circle(70 + i * 8, 288, 2.0, rgb('#ffffff', 0.55))
    for i in range(9):
        c.circle(82 + i * 8, 297, 1.4, rgb('#ffffff', 0.35))
    return c


def write_bmp(c, path):
    row = bytearray()
    stride = (c.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(c.h - 1, -1, -1):
        row = bytearray()
        for x in range(c.w):
            r, g, b, _ = c.px[y][x]
            row += bytes((byte(b), byte(g), byte(r)))
        row += b'\0' * (stride - len(row))
        data += row
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, c.w, c.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def icon_image(size):
    c = Canvas(size, size)
    s = size / 48.0
    # Paper sheet with printed lines.
    c.rect(13 * s, 3 * s, 35 * s, 24 * s, rgb('#3a4350'))
    c.rect(14 * s, 4 * s, 34 * s, 24 * s, rgb('#fbfbf7'))
    for y in (9, 14, 19):
        c.rect(17 * s, y * s, 31 * s, (y + 2) * s, rgb('#2c3440'))
    # Body and the output tray.
    c.rect(3 * s, 19 * s, 45 * s, 39 * s, rgb('#2a3038'), radius=5 * s)
    c.rect(5 * s, 21 * s, 43 * s, 37 * s, rgb('#e7eaee'), radius=4 * s)
    c.rect(5 * s, 30 * s, 43 * s, 37 * s, rgb('#c3c9d1'), radius=4 * s)
    c.rect(10 * s, 33 * s, 38 * s, 44 * s, rgb('#2a3038'))
    c.rect(11 * s, 33 * s, 37 * s, 43 * s, rgb('#fbfbf7'))
    c.circle(38 * s, 25.5 * s, 2.2 * s, rgb('#2fbf63'))
    return c


def write_ico(images, path):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for c in images:
        pixels = bytearray()
        mask_stride = ((c.w + 31) // 32) * 4
        mask = bytearray()
        for y in range(c.h - 1, -1, -1):
            bits = bytearray(mask_stride)
            for x in range(c.w):
                r, g, b, a = c.px[y][x]
                pixels += bytes((byte(b), byte(g), byte(r), byte(a)))
                if byte(a) == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack('<IiiHHIIiiII', 40, c.w, c.h * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
        blob = info + pixels + mask
        entries.append(struct.pack('<BBBBHHII', c.w % 256, c.h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + b''.join(blobs))


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    write_bmp(wizard_picture(), os.path.join(here, 'wizard.bmp'))
    write_ico([icon_image(n) for n in (16, 32, 48)], os.path.join(here, 'tamrin.ico'))

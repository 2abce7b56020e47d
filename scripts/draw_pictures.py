#!/usr/bin/env python3
"""Draws Rotaryn's own pictures: the button faces host/imgs/butup.gif and host/imgs/butdown.gif
and the tab control's background src/ui/qt/pictures/background.png. Standard library only.

    scripts/draw_pictures.py [REPOSITORY]
"""
import math
import struct
import sys
import zlib
from pathlib import Path

FACE_W, FACE_H = 89, 33  # the Options buttons' size in pixels; smaller buttons stretch it
RADIUS = 5.0


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def inside_rounded(x, y, w, h, r):
    """Whether the point lies inside the rounded rectangle 0,0-w,h."""
    cx = min(max(x, r), w - r)
    cy = min(max(y, r), h - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def coverage(px, py, w, h, r, inset=0.0, samples=4):
    hits = 0
    for i in range(samples):
        for j in range(samples):
            x = px + (i + 0.5) / samples - inset
            y = py + (j + 0.5) / samples - inset
            hits += inside_rounded(x, y, w - 2 * inset, h - 2 * inset, max(r - inset, 0.5))
    return hits / (samples * samples)


def face(top, bottom, border, light, pressed):
    """Pixels (None = transparent) of one button face."""
    rows = []
    for y in range(FACE_H):
        row = []
        for x in range(FACE_W):
            outer = coverage(x, y, FACE_W, FACE_H, RADIUS)
            if outer < 0.4:
                row.append(None)
                continue
            inner = coverage(x, y, FACE_W, FACE_H, RADIUS, inset=1.0)
            t = y / (FACE_H - 1)
            # A soft curve: most of the change near the bottom, like a lit rounded surface.
            body = mix(top, bottom, t ** 1.6)
            if not pressed and y == 1:
                body = mix(body, light, 0.7)
            if pressed and y in (1, 2):
                body = mix(body, border, 0.25 if y == 1 else 0.1)
            row.append(mix(border, body, inner))
        rows.append(row)
    return rows


def lzw(indices, min_code_size):
    """GIF's variable-width LZW, as bytes of data sub-blocks."""
    clear = 1 << min_code_size
    end = clear + 1
    codes = {bytes([i]): i for i in range(clear)}
    next_code = end + 1
    width = min_code_size + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def emit(code):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    emit(clear)
    current = b""
    for index in indices:
        candidate = current + bytes([index])
        if candidate in codes:
            current = candidate
            continue
        emit(codes[current])
        if next_code < 4096:
            codes[candidate] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear)
            codes = {bytes([i]): i for i in range(clear)}
            next_code = end + 1
            width = min_code_size + 1
        current = bytes([index])
    if current:
        emit(codes[current])
    emit(end)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    blocks = bytearray()
    for start in range(0, len(out), 255):
        chunk = out[start:start + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks) + b"\x00"


def gif(rows):
    colours = sorted({p for row in rows for p in row if p is not None})
    palette = [(255, 0, 255)] + colours  # index 0: transparent
    assert len(palette) <= 256, len(palette)
    bits = max(2, math.ceil(math.log2(len(palette))))
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
    lookup = {c: i + 1 for i, c in enumerate(colours)}
    indices = [0 if p is None else lookup[p] for row in rows for p in row]
    h, w = len(rows), len(rows[0])
    data = b"GIF89a" + struct.pack("<HHBBB", w, h, 0x80 | (bits - 1), 0, 0)
    data += b"".join(bytes(c) for c in palette)
    data += b"\x21\xf9\x04\x01\x00\x00\x00\x00"  # graphic control: index 0 transparent
    data += b"\x2c" + struct.pack("<HHHHB", 0, 0, w, h, 0)
    data += bytes([bits]) + lzw(indices, bits)
    return data + b"\x3b"


def png(rows):
    h, w = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def background(w=335, h=440):
    """A contour map, faint. The tab control's own painting is ANDed with it, so every channel
    keeps its high bits: the result only darkens, by small steps, and text stays as it was."""
    base = (0xF8, 0xFC, 0xFF)
    line = (0xC8, 0xDC, 0xFF)
    band = (0xF0, 0xF8, 0xFF)
    hills = [(70, 120, 90, 1.0), (260, 80, 70, 0.8), (200, 300, 110, 1.2), (60, 380, 80, 0.7),
             (300, 420, 60, 0.6)]
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            height = sum(a * math.exp(-((x - cx) ** 2 + (y - cy) ** 2) / (2 * r * r))
                         for cx, cy, r, a in hills)
            height += 0.08 * math.sin(x / 37.0) * math.cos(y / 53.0)
            level = height * 9
            frac = level - math.floor(level)
            if frac < 0.09:
                row.append(line)
            elif int(level) % 2 == 1:
                row.append(band)
            else:
                row.append(base)
        rows.append(row)
    return rows


def main():
    repo = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)
    up = face(top=(0xFD, 0xFE, 0xFF), bottom=(0xD6, 0xE0, 0xEE), border=(0x7A, 0x8C, 0xA8),
              light=(0xFF, 0xFF, 0xFF), pressed=False)
    down = face(top=(0xC4, 0xD2, 0xE6), bottom=(0xE2, 0xE9, 0xF3), border=(0x5A, 0x70, 0x92),
                light=(0xFF, 0xFF, 0xFF), pressed=True)
    (repo / "host/imgs/butup.gif").write_bytes(gif(up))
    (repo / "host/imgs/butdown.gif").write_bytes(gif(down))
    (repo / "src/ui/qt/pictures").mkdir(parents=True, exist_ok=True)
    (repo / "src/ui/qt/pictures/background.png").write_bytes(png(background()))


if __name__ == "__main__":
    main()

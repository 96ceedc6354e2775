#!/usr/bin/env python3
"""Draws the about box's pictures into app/data/about/: about.png (the
emblem) and about-animated.gif (the emblem with a circling dot). Standard
library only; run again after changing the drawing."""
import math
import os
import struct
import zlib

SIZE = 48
PALETTE = [(0, 0, 0), (255, 255, 255), (30, 111, 184), (255, 210, 63), (11, 34, 57), (135, 206, 250),
           (200, 200, 200), (90, 90, 90)]
TRANSPARENT = 0


def emblem(angle=None):
    px = [[TRANSPARENT] * SIZE for _ in range(SIZE)]
    c = SIZE / 2 - 0.5
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x - c, y - c)
            if d <= 22:
                px[y][x] = 4 if d > 20 else 2
    # A key: a ring and a shaft with two teeth.
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x - 16, y - 24)
            if 4 <= d <= 7:
                px[y][x] = 1
    for x in range(22, 37):
        for y in range(23, 26):
            px[y][x] = 1
    for x, y0 in ((31, 26), (35, 26)):
        for y in range(y0, y0 + 4):
            px[y][x] = px[y][x + 1] = 1
    if angle is not None:
        dx, dy = 16 * math.cos(angle), 16 * math.sin(angle)
        for y in range(SIZE):
            for x in range(SIZE):
                if math.hypot(x - c - dx, y - c - dy) <= 3.2:
                    px[y][x] = 3
    return px


def write_png(path, px):
    raw = b"".join(b"\0" + bytes(v for i in row for v in (PALETTE[i] + ((0,) if i == TRANSPARENT else (255,))))
                   for row in px)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def lzw_literal(indices, min_code=3):
    # Literal codes only, with a clear code often enough that the code width
    # never grows: a valid (if not small) LZW stream.
    clear, end, width = 1 << min_code, (1 << min_code) + 1, min_code + 1
    codes, run = [clear], 0
    for i in indices:
        if run == (1 << min_code) - 2:
            codes.append(clear)
            run = 0
        codes.append(i)
        run += 1
    codes.append(end)
    out, acc, bits = bytearray(), 0, 0
    for code in codes:
        acc |= code << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    blocks = bytearray([min_code])
    for i in range(0, len(out), 255):
        part = out[i:i + 255]
        blocks += bytes([len(part)]) + part
    return bytes(blocks + b"\0")


def write_gif(path, frames, delay_cs=10):
    with open(path, "wb") as f:
        f.write(b"GIF89a" + struct.pack("<HHBBB", SIZE, SIZE, 0xF2, 0, 0))
        f.write(b"".join(bytes(c) for c in PALETTE))
        f.write(b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00")  # loop for ever
        for px in frames:
            f.write(b"\x21\xF9\x04" + struct.pack("<BHBB", 0x09, delay_cs, TRANSPARENT, 0))
            f.write(b"\x2C" + struct.pack("<HHHHB", 0, 0, SIZE, SIZE, 0))
            f.write(lzw_literal([i for row in px for i in row]))
        f.write(b"\x3B")


if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "data", "about")
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(folder, "about.png"), emblem())
    write_gif(os.path.join(folder, "about-animated.gif"), [emblem(k * math.pi / 6) for k in range(12)])

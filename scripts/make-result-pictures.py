#!/usr/bin/env python3
"""Draws the three result pictures of the calibration dialogs as PNGs:
neutral (a grey ring), passed (a green disc with a tick), failed (a red disc
with a cross).

Run once when the drawing changes: scripts/make-result-pictures.py src/resources
"""
import os
import struct
import sys
import zlib

SIZE = 48


def disc(fill, ring, mark):
    px = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]
    c = (SIZE - 1) / 2
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
            if d <= 22:
                px[y][x] = ring if d > 19 else fill
    if mark:
        for (x0, y0, x1, y1) in mark:
            steps = 200
            for i in range(steps + 1):
                x = x0 + (x1 - x0) * i / steps
                y = y0 + (y1 - y0) * i / steps
                for dy in range(-2, 3):
                    for dx in range(-2, 3):
                        if dx * dx + dy * dy <= 5:
                            px[int(y + dy)][int(x + dx)] = (255, 255, 255, 255)
    return px


def png(px):
    raw = b"".join(b"\0" + b"".join(struct.pack("4B", *p) for p in row) for row in px)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    folder = sys.argv[1]
    pictures = {
        "ResultNeutral.png": disc((225, 225, 225, 255), (130, 130, 130, 255), None),
        "ResultPassed.png": disc((40, 160, 70, 255), (20, 100, 40, 255), [(13, 24, 21, 32), (21, 32, 35, 15)]),
        "ResultFailed.png": disc((200, 40, 40, 255), (130, 20, 20, 255), [(15, 15, 32, 32), (32, 15, 15, 32)]),
    }
    for name, px in pictures.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(png(px))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the bench's icon (a cheque going into a desk scanner) as a PNG.

Run once when the drawing changes: scripts/make-icon.py src/resources/Varnw.png
"""
import struct
import sys
import zlib

SIZE = 64


def draw():
    px = [[(0, 0, 0, 0)] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(max(y0, 0), min(y1, SIZE)):
            for x in range(max(x0, 0), min(x1, SIZE)):
                px[y][x] = colour

    # The cheque: pale green paper with a dark border, tilted into the slot by
    # drawing it in steps.
    rect(10, 6, 54, 34, (40, 70, 50, 255))
    rect(11, 7, 53, 33, (214, 238, 214, 255))
    rect(14, 11, 34, 13, (90, 110, 95, 255))    # payee line
    rect(14, 17, 48, 19, (90, 110, 95, 255))    # amount in words
    rect(38, 22, 50, 27, (255, 255, 255, 255))  # amount box
    rect(38, 22, 50, 23, (90, 110, 95, 255))
    rect(38, 26, 50, 27, (90, 110, 95, 255))
    for i in range(6):                          # codeline marks
        rect(14 + 5 * i, 29, 17 + 5 * i, 31, (20, 20, 20, 255))
    # The scanner: a dark body with a slot the cheque goes into and a green lamp.
    rect(4, 32, 60, 58, (45, 52, 64, 255))
    rect(5, 33, 59, 57, (78, 90, 108, 255))
    rect(8, 34, 56, 37, (20, 22, 28, 255))      # feeding slot
    rect(8, 44, 56, 46, (58, 68, 84, 255))
    rect(48, 50, 53, 54, (60, 220, 90, 255))    # lamp
    rect(4, 58, 60, 60, (30, 34, 42, 255))      # foot
    return px


def png(px):
    raw = b"".join(b"\x00" + b"".join(struct.pack("4B", *p) for p in row) for row in px)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(png(draw()))

#!/usr/bin/env python3
"""The pictures for the browser: every 24-bit bitmap rewritten as the
16-bit one (5 bits of red, 6 of green, 5 of blue) that the game's screen
makes of it anyway when it loads a picture (SDL keeps the high bits), so
it shows exactly the same and is a third smaller before gzip and half as
big after.

    pictures.py IN_DIR OUT_DIR
"""
import pathlib
import struct
import sys

src, out = map(pathlib.Path, sys.argv[1:3])
out.mkdir(parents=True, exist_ok=True)
# Each colour's share of the two bytes of a pixel, low byte and high byte.
blue_lo = bytes(v >> 3 for v in range(256))
green_lo = bytes((v >> 2 & 7) << 5 for v in range(256))
green_hi = bytes(v >> 5 for v in range(256))
red_hi = bytes(v >> 3 << 3 for v in range(256))


def merge(a, b):
    return (int.from_bytes(a, 'big') | int.from_bytes(b, 'big')).to_bytes(len(a), 'big')


for pic in sorted(src.glob('*.bmp')):
    b = pic.read_bytes()
    field = lambda at, n: int.from_bytes(b[at:at + n], 'little', signed=True)
    if b[:2] != b'BM' or field(28, 2) != 24 or field(30, 4) != 0:
        (out / pic.name).write_bytes(b)
        continue
    start, width, height = field(10, 4), field(18, 4), field(22, 4)
    stride, stride16 = (width * 3 + 3) & ~3, (width * 2 + 3) & ~3
    pixels = bytearray(stride16 * abs(height))
    for y in range(abs(height)):
        row = b[start + y * stride:start + y * stride + width * 3]
        line = bytearray(width * 2)
        line[0::2] = merge(row[0::3].translate(blue_lo), row[1::3].translate(green_lo))
        line[1::2] = merge(row[1::3].translate(green_hi), row[2::3].translate(red_hi))
        pixels[y * stride16:y * stride16 + width * 2] = line
    # BITMAPINFOHEADER with BI_BITFIELDS and the three masks of RGB565.
    head = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 16, 3, len(pixels), 2835, 2835, 0, 0)
    masks = struct.pack('<III', 0xF800, 0x07E0, 0x001F)
    offset = 14 + len(head) + len(masks)
    (out / pic.name).write_bytes(b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) +
                                 head + masks + bytes(pixels))

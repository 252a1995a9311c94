"""The splash test's picture: 800 x 200 RGBA, every pixel telling its position.

Red is x mod 256, green is y, blue is 128 + x div 256; a 16 x 16 square at the
top-left corner is fully transparent, so the window's clear colour (white)
shows there. No pixel is the dot's dark blue (0, 0, 100). A window that is off
by one pixel, a picture that is scaled, mirrored or not cleared, all show.
"""
import struct
import zlib

WIDTH, HEIGHT = 800, 200
TRANSPARENT = 16


def pixel(x, y):
    """The picture's RGBA value at (x, y)."""
    if x < TRANSPARENT and y < TRANSPARENT:
        return (0, 0, 0, 0)
    return (x & 0xFF, y, 128 + (x >> 8), 255)


def shown(x, y):
    """The RGB value the window shows for (x, y): the picture over white."""
    r, g, b, a = pixel(x, y)
    return (r, g, b) if a else (255, 255, 255)


def png_bytes():
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y)) for x in range(WIDTH)) for y in range(HEIGHT))
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")

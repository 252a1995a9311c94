"""Screenshots of the splash screen, checked against the frame it must show.

A frame is the picture (the test picture of splash_picture.py unless another
is given, see PngPicture) centred on the screen, exact pixel for pixel, over
white where it is transparent, except for the dot: a filled dark-blue (0, 0, 100) circle of
10 x 10 pixels in the box the angle gives, with θ = angle * 3.14159 / 180,
dx = trunc(cos θ * -10), dy = trunc(sin θ * -10) and the box at
(w / 2 - dx - 5, h / 2 - dy + 75) in a picture of w x h (integer halves). No dark-blue pixel anywhere
else on the screen. The angle is one of 0, 10, ..., 350.
"""
import functools
import math
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import splash_picture as pic  # noqa: E402

DOT = (0, 0, 100)
DOT_BYTES = bytes(DOT)
DOT_SIZE = 10
ANGLES = range(0, 360, 10)


class Shot:
    """An RGB screenshot: width, height and 3 bytes per pixel, row by row."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def row(self, y, x0=0, x1=None):
        x1 = self.width if x1 is None else x1
        base = y * self.width * 3
        return self.data[base + x0 * 3:base + x1 * 3]

    def picture_origin(self, picture=pic):
        """Where the centred @a picture's top-left corner is on this screen."""
        return (self.width - picture.WIDTH) // 2, (self.height - picture.HEIGHT) // 2


class PngPicture:
    """A splash picture read from a PNG file, with the test picture's interface: WIDTH, HEIGHT, pixel(x, y) (RGBA)
    and shown(x, y) (RGB over the window's white)."""

    def __init__(self, png):
        size = subprocess.run(["identify", "-format", "%w %h", png], check=True, capture_output=True).stdout.split()
        self.WIDTH, self.HEIGHT = int(size[0]), int(size[1])
        self.data = subprocess.run(["convert", png, "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout

    def pixel(self, x, y):
        i = (y * self.WIDTH + x) * 4
        return tuple(self.data[i:i + 4])

    def shown(self, x, y):
        r, g, b, a = self.pixel(x, y)
        return tuple((c * a + 255 * (255 - a) + 127) // 255 for c in (r, g, b))


def read_shot(png):
    size = subprocess.run(["identify", "-format", "%w %h", png], check=True, capture_output=True).stdout.split()
    data = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return Shot(int(size[0]), int(size[1]), data)


def dot_box(angle, picture=pic):
    """Top-left corner of the dot's box in @a picture's coordinates."""
    theta = angle * 3.14159 / 180
    return picture.WIDTH // 2 - int(math.cos(theta) * -10) - 5, picture.HEIGHT // 2 - int(math.sin(theta) * -10) + 75


@functools.lru_cache(maxsize=None)
def picture_row(picture, y):
    return b"".join(bytes(picture.shown(x, y)) for x in range(picture.WIDTH))


def stray_dots(data, x0, y):
    """x coordinates of dark-blue pixels in @a data, a row slice starting at x0."""
    found, i = [], data.find(DOT_BYTES)
    while i >= 0:
        if i % 3 == 0:
            found.append(x0 + i // 3)
        i = data.find(DOT_BYTES, i + 1)
    return found


def frame_problems(shot, angle, picture=pic):
    """What differs from the frame of @a picture for @a angle: a list of texts, empty when the shot shows it."""
    left, top = shot.picture_origin(picture)
    box_x, box_y = dot_box(angle, picture)
    box_x, box_y = left + box_x, top + box_y
    problems = []
    dot_pixels = 0
    for y in range(shot.height):
        in_picture_rows = top <= y < top + picture.HEIGHT
        outside = [(0, shot.width)] if not in_picture_rows else [(0, left), (left + picture.WIDTH, shot.width)]
        for x0, x1 in outside:
            problems += [f"({x}, {y}): dark blue outside the dot's box" for x in stray_dots(shot.row(y, x0, x1), x0, y)]
        if not in_picture_rows:
            continue
        in_box_rows = box_y <= y < box_y + DOT_SIZE
        if not in_box_rows and shot.row(y, left, left + picture.WIDTH) == picture_row(picture, y - top):
            continue
        for x in range(left, left + picture.WIDTH):
            value = shot.at(x, y)
            if in_box_rows and box_x <= x < box_x + DOT_SIZE and value == DOT:
                dot_pixels += 1
                continue
            want = picture.shown(x - left, y - top)
            if value != want:
                problems.append(f"({x}, {y}): {value}, want {want}")
    centre = [shot.at(box_x + dx, box_y + dy) for dx in (4, 5) for dy in (4, 5)]
    if any(value != DOT for value in centre):
        problems.append(f"the dot's centre around ({box_x + 5}, {box_y + 5}) is {centre}, not dark blue")
    if dot_pixels < 60:
        problems.append(f"only {dot_pixels} dark-blue pixels in the box at ({box_x}, {box_y}); a 10 x 10 dot has more")
    return problems


def matching_angles(shot, picture=pic):
    """The angles whose frame of @a picture the shot shows exactly (normally one)."""
    left, top = shot.picture_origin(picture)
    found = []
    for angle in ANGLES:
        box_x, box_y = dot_box(angle, picture)
        if shot.at(left + box_x + 5, top + box_y + 5) != DOT:
            continue
        if not frame_problems(shot, angle, picture):
            found.append(angle)
    return found

"""Screenshots of the splash screen, checked against the frame it must show.

A frame is the test picture (splash_picture.py) centred on the screen, exact
pixel for pixel, except for the dot: a filled dark-blue (0, 0, 100) circle of
10 x 10 pixels in the box the angle gives, with θ = angle * 3.14159 / 180,
dx = trunc(cos θ * -10), dy = trunc(sin θ * -10) and the box at
(400 - dx - 5, 100 - dy + 75) in the picture. No dark-blue pixel anywhere
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

    def picture_origin(self):
        """Where the centred picture's top-left corner is on this screen."""
        return (self.width - pic.WIDTH) // 2, (self.height - pic.HEIGHT) // 2


def read_shot(png):
    size = subprocess.run(["identify", "-format", "%w %h", png], check=True, capture_output=True).stdout.split()
    data = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return Shot(int(size[0]), int(size[1]), data)


def dot_box(angle):
    """Top-left corner of the dot's box in picture coordinates."""
    theta = angle * 3.14159 / 180
    return pic.WIDTH // 2 - int(math.cos(theta) * -10) - 5, pic.HEIGHT // 2 - int(math.sin(theta) * -10) + 75


@functools.lru_cache(maxsize=None)
def picture_row(y):
    return b"".join(bytes(pic.shown(x, y)) for x in range(pic.WIDTH))


def stray_dots(data, x0, y):
    """x coordinates of dark-blue pixels in @a data, a row slice starting at x0."""
    found, i = [], data.find(DOT_BYTES)
    while i >= 0:
        if i % 3 == 0:
            found.append(x0 + i // 3)
        i = data.find(DOT_BYTES, i + 1)
    return found


def frame_problems(shot, angle):
    """What differs from the frame for @a angle: a list of texts, empty when the shot shows it."""
    left, top = shot.picture_origin()
    box_x, box_y = dot_box(angle)
    box_x, box_y = left + box_x, top + box_y
    problems = []
    dot_pixels = 0
    for y in range(shot.height):
        in_picture_rows = top <= y < top + pic.HEIGHT
        outside = [(0, shot.width)] if not in_picture_rows else [(0, left), (left + pic.WIDTH, shot.width)]
        for x0, x1 in outside:
            problems += [f"({x}, {y}): dark blue outside the dot's box" for x in stray_dots(shot.row(y, x0, x1), x0, y)]
        if not in_picture_rows:
            continue
        in_box_rows = box_y <= y < box_y + DOT_SIZE
        if not in_box_rows and shot.row(y, left, left + pic.WIDTH) == picture_row(y - top):
            continue
        for x in range(left, left + pic.WIDTH):
            value = shot.at(x, y)
            if in_box_rows and box_x <= x < box_x + DOT_SIZE and value == DOT:
                dot_pixels += 1
                continue
            want = pic.shown(x - left, y - top)
            if value != want:
                problems.append(f"({x}, {y}): {value}, want {want}")
    centre = [shot.at(box_x + dx, box_y + dy) for dx in (4, 5) for dy in (4, 5)]
    if any(value != DOT for value in centre):
        problems.append(f"the dot's centre around ({box_x + 5}, {box_y + 5}) is {centre}, not dark blue")
    if dot_pixels < 60:
        problems.append(f"only {dot_pixels} dark-blue pixels in the box at ({box_x}, {box_y}); a 10 x 10 dot has more")
    return problems


def matching_angles(shot):
    """The angles whose frame the shot shows exactly (normally one)."""
    left, top = shot.picture_origin()
    found = []
    for angle in ANGLES:
        box_x, box_y = dot_box(angle)
        if shot.at(left + box_x + 5, top + box_y + 5) != DOT:
            continue
        if not frame_problems(shot, angle):
            found.append(angle)
    return found

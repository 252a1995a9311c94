#!/usr/bin/env python3
"""Checks a screenshot of the splash screen, pixel by pixel.

Usage: check-splash-shot.py <shot.png> <angle>

The window must show the test picture (splash_picture.py) centred on the
screen, exactly, except for the dot: a filled dark-blue (0, 0, 100) circle of
10 x 10 pixels at the box the angle gives, with θ = angle * 3.14159 / 180,
dx = trunc(cos θ * -10), dy = trunc(sin θ * -10) and the box at
(400 - dx - 5, 100 - dy + 75) in the picture. No dark-blue pixel anywhere else.
Exit code 0 when all holds; otherwise the first differences are printed.
"""
import math
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import splash_picture as pic  # noqa: E402

DOT = (0, 0, 100)


def read_rgb(png):
    size = subprocess.run(["identify", "-format", "%w %h", png], check=True, capture_output=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    data = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return width, height, data


def main():
    png, angle = sys.argv[1], int(sys.argv[2])
    width, height, data = read_rgb(png)
    left, top = (width - pic.WIDTH) // 2, (height - pic.HEIGHT) // 2
    theta = angle * 3.14159 / 180
    box_x = left + pic.WIDTH // 2 - int(math.cos(theta) * -10) - 5
    box_y = top + pic.HEIGHT // 2 - int(math.sin(theta) * -10) + 75

    def at(x, y):
        i = (y * width + x) * 3
        return tuple(data[i:i + 3])

    problems = []
    dot_pixels = 0
    for y in range(height):
        for x in range(width):
            value = at(x, y)
            in_box = box_x <= x < box_x + 10 and box_y <= y < box_y + 10
            if in_box and value == DOT:
                dot_pixels += 1
                continue
            if left <= x < left + pic.WIDTH and top <= y < top + pic.HEIGHT:
                want = pic.shown(x - left, y - top)
                if value != want:
                    problems.append(f"({x}, {y}): {value}, want {want}")
            elif value == DOT:
                problems.append(f"({x}, {y}): dark blue outside the dot's box")
    centre = [at(box_x + dx, box_y + dy) for dx in (4, 5) for dy in (4, 5)]
    if any(value != DOT for value in centre):
        problems.append(f"the dot's centre around ({box_x + 5}, {box_y + 5}) is {centre}, not dark blue")
    if dot_pixels < 60:
        problems.append(f"only {dot_pixels} dark-blue pixels in the box at ({box_x}, {box_y}); a 10 x 10 dot has more")
    if problems:
        print(f"{len(problems)} problems (window expected at ({left}, {top}), dot box at ({box_x}, {box_y})):")
        print("\n".join(problems[:20]))
        return 1
    print(f"ok: picture at ({left}, {top}) on {width}x{height}, dot box at ({box_x}, {box_y}) "
          f"for {angle} degrees, {dot_pixels} dot pixels")
    return 0


if __name__ == "__main__":
    sys.exit(main())

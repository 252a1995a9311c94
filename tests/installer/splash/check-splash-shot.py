#!/usr/bin/env python3
"""Checks a screenshot of the splash screen, pixel by pixel (splash_shot.py
says what a frame must show).

Usage: check-splash-shot.py <shot.png> <angle>

Exit code 0 when the shot shows the frame for the angle; otherwise the first
differences are printed.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import splash_shot  # noqa: E402


def main():
    png, angle = sys.argv[1], int(sys.argv[2])
    shot = splash_shot.read_shot(png)
    left, top = shot.picture_origin()
    box_x, box_y = splash_shot.dot_box(angle)
    problems = splash_shot.frame_problems(shot, angle)
    if problems:
        print(f"{len(problems)} problems (window expected at ({left}, {top}), "
              f"dot box at ({left + box_x}, {top + box_y})):")
        print("\n".join(problems[:20]))
        return 1
    print(f"ok: picture at ({left}, {top}) on {shot.width}x{shot.height}, dot box at "
          f"({left + box_x}, {top + box_y}) for {angle} degrees")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Writes the splash test's resources into a directory: splash.rc with the
picture as "PNG" 102 and bytes that are no picture as "PNG" 103."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import splash_picture  # noqa: E402

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
with open(os.path.join(out, "picture.png"), "wb") as f:
    f.write(splash_picture.png_bytes())
with open(os.path.join(out, "broken.png"), "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + b"this is not the rest of a picture" * 8)
with open(os.path.join(out, "splash.rc"), "w") as f:
    f.write('102 PNG "picture.png"\n103 PNG "broken.png"\n')

#!/usr/bin/env python3
"""Writes the splash test's resources into a directory: splash.rc with the
picture as "PNG" 102 and bytes that are no picture as "PNG" 103."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import splash_picture  # noqa: E402
from tarntest import write  # noqa: E402

out = sys.argv[1]
os.makedirs(out, exist_ok=True)
write(os.path.join(out, "picture.png"), splash_picture.png_bytes())
write(os.path.join(out, "broken.png"), b"\x89PNG\r\n\x1a\n" + b"this is not the rest of a picture" * 8)
write(os.path.join(out, "splash.rc"), b'102 PNG "picture.png"\n103 PNG "broken.png"\n')

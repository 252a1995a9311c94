#!/usr/bin/env python3
"""Writes a package container laid out by hand, and the resource script that
puts it into the test program: make-container-fixture.py <output dir>.

Contents (the tests rely on them):
  MANIFEST  "TarnInstV1" + 5 NUL, count 4 (one more than the headers 0-2)
  HDR_00    amd64, BIN_00, "Product_x64.msi"
  HDR_01    arm64, BIN_01, "\u00dcberall_arm64.msi" (UTF-8)
  HDR_02    all,   BIN_02, a 223-byte name of 'n's
  HDR_10    x86,   BIN_10, "ten.msi"        (HDR_03 .. HDR_09 are missing)
  HDR_100   x86,   BIN_00, "hundred.msi"
  BIN_00    70000 bytes, byte i = (i * 7 + 3) & 0xff
  BIN_01    1 byte 0x42
  BIN_02    "common cabinet"
  EMPTY     0 bytes
  "PNGONLY" of type PNG (not RCDATA)
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from tarntest import container_header as header, container_manifest, rcdata_lines, write  # noqa: E402

out = sys.argv[1]
os.makedirs(out, exist_ok=True)

resources = {
    "MANIFEST": container_manifest(4),
    "HDR_00": header(3, "BIN_00", "Product_x64.msi"),
    "HDR_01": header(4, "BIN_01", "\u00dcberall_arm64.msi"),
    "HDR_02": header(1, "BIN_02", "n" * 223),
    "HDR_10": header(2, "BIN_10", "ten.msi"),
    "HDR_100": header(2, "BIN_00", "hundred.msi"),
    "BIN_00": bytes((i * 7 + 3) & 0xFF for i in range(70000)),
    "BIN_01": b"\x42",
    "BIN_02": b"common cabinet",
    "EMPTY": b"",
}
lines = rcdata_lines(out, resources)
write(os.path.join(out, "pngonly.bin"), b"\x89PNG")
lines.append('PNGONLY PNG "pngonly.bin"')
write(os.path.join(out, "fixture.rc"), ("\n".join(lines) + "\n").encode("ascii"))

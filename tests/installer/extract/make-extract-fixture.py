#!/usr/bin/env python3
"""Writes the package container of the extraction tests and the resource
script that puts it into their program: make-extract-fixture.py <output dir>.

Contents (the tests rely on them):
  MANIFEST  "TarnInstV1" + 5 NUL, count 4
  HDR_00    all,   BIN_00, "common.cab"           1000 bytes, pattern seed 1
  HDR_01    amd64, BIN_01, "Product_x64.msi"      50 MiB + 4321 bytes, seed 2
  HDR_02    arm64, BIN_02, "\u00dcberall_arm64.msi" 65536 bytes (one whole block), seed 3
  HDR_03    x86,   BIN_03, "Product_x86.msi"      65537 bytes, seed 4
  HDR_04    x86,   BIN_77, "missing.cab"          (no such payload)
  HDR_05    arm64, BIN_02, a 223-byte name of 'n's
  (HDR_06 is missing)
The payloads are generated here, never kept in the repository.

Pattern of seed s, in blocks of 64 KiB: byte j of block k is
  j < 4: byte j of the little-endian 32-bit value k ^ (s << 24)
  else:  (j * 7 + s + k * 13) & 0xff
so every block differs from its neighbours and a misplaced block shows.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from tarntest import container_header as header, container_manifest, rcdata_lines, write  # noqa: E402

BLOCK = 65536


def pattern(size, seed):
    base = bytes((j * 7 + seed) & 0xFF for j in range(BLOCK))
    tables = [bytes((b + shift) & 0xFF for b in range(256)) for shift in range(256)]
    blocks = []
    for k in range((size + BLOCK - 1) // BLOCK):
        block = struct.pack("<I", (k ^ (seed << 24)) & 0xFFFFFFFF) + base.translate(tables[(k * 13) & 0xFF])[4:]
        blocks.append(block)
    return b"".join(blocks)[:size]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    resources = {
        "MANIFEST": container_manifest(4),
        "HDR_00": header(1, "BIN_00", "common.cab"),
        "HDR_01": header(3, "BIN_01", "Product_x64.msi"),
        "HDR_02": header(4, "BIN_02", "\u00dcberall_arm64.msi"),
        "HDR_03": header(2, "BIN_03", "Product_x86.msi"),
        "HDR_04": header(2, "BIN_77", "missing.cab"),
        "HDR_05": header(4, "BIN_02", "n" * 223),
        "BIN_00": pattern(1000, 1),
        "BIN_01": pattern(50 * 1024 * 1024 + 4321, 2),
        "BIN_02": pattern(65536, 3),
        "BIN_03": pattern(65537, 4),
    }
    lines = rcdata_lines(out, resources)
    write(os.path.join(out, "extract.rc"), ("\n".join(lines) + "\n").encode("ascii"))


main()

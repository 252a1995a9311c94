#!/usr/bin/env python3
"""Runs a command (a Windows program under Wine) and prints the peaks of its
process's anonymous memory as Linux sees it, split by address:

  anonpeak.py -- wine PROGRAM [ARGS...]
  -> "anon-32bit <bytes> anon-above <bytes> exit <code>"

anon-32bit is anonymous memory in the lower 4 GiB of the address space: the
Windows process's own private memory (heaps, stacks, written image pages).
anon-above is what lies above it, which only exists where 32-bit code runs
emulated: the emulator's translated code and its own data. Windows's view,
PeakPagefileUsage under Wine, is the sum of both. The process is read every
few milliseconds from /proc/PID/smaps; the Wine loader runs the program in
the process it starts, so PID is the command's.
"""
import re
import subprocess
import sys
import time

FOUR_GIB = 1 << 32
MAPPING = re.compile(r"^([0-9a-f]+)-[0-9a-f]+ ")


def anon_split(pid):
    low = high = 0
    above = False
    with open(f"/proc/{pid}/smaps", encoding="utf-8", errors="replace") as f:
        for line in f:
            m = MAPPING.match(line)
            if m:
                above = int(m.group(1), 16) >= FOUR_GIB
            elif line.startswith("Anonymous:"):
                kib = int(line.split()[1])
                if above:
                    high += kib
                else:
                    low += kib
    return low * 1024, high * 1024


def main(argv):
    if len(argv) < 3 or argv[1] != "--":
        print(__doc__, file=sys.stderr)
        return 2
    proc = subprocess.Popen(argv[2:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    peak_low = peak_high = 0
    while proc.poll() is None:
        try:
            low, high = anon_split(proc.pid)
        except (OSError, ValueError):
            low = high = 0  # between exec and exit the file may be gone or partial
        peak_low, peak_high = max(peak_low, low), max(peak_high, high)
        time.sleep(0.002)
    print(f"anon-32bit {peak_low} anon-above {peak_high} exit {proc.returncode & 0xFFFFFFFF}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

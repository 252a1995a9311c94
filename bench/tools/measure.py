#!/usr/bin/env python3
"""Runs a command once and prints "<wall µs> <cpu µs> <exit code>".

  measure.py STDOUT-FILE STDERR-FILE -- COMMAND [ARGS...]

The wall time runs from just before the command starts until it has ended;
the CPU time is user + system time of the command and the processes it
waited for (the Wine server is not among them). The command's output goes to
the files named.
"""
import resource
import subprocess
import sys
import time


def main(argv):
    out_path, err_path, sep, cmd = argv[1], argv[2], argv[3], argv[4:]
    if sep != "--" or not cmd:
        print(__doc__, file=sys.stderr)
        return 2
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        t0 = time.perf_counter_ns()
        rc = subprocess.call(cmd, stdout=out, stderr=err, stdin=subprocess.DEVNULL)
        t1 = time.perf_counter_ns()
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    print((t1 - t0) // 1000, int(cpu * 1e6), rc & 0xFFFFFFFF if rc >= 0 else rc)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

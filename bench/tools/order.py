#!/usr/bin/env python3
"""Prints the given items in the order of one benchmark round, one per line.

  order.py SEED ROUND ITEM...

The order is a shuffle drawn from SEED and ROUND together: the same seed
gives the same order of every round again, and no program keeps a fixed place
(first after an idle pause, or always right after the same other program).
"""
import random
import sys


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    seed, round_no, items = int(argv[1]), int(argv[2]), argv[3:]
    random.Random(seed * 100003 + round_no).shuffle(items)
    print("\n".join(items))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

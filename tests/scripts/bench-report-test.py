#!/usr/bin/env python3
"""The benchmark report's statistics: pairing by round, the bootstrap interval
of the median and the verdict drawn from it."""
import os
import random
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "bench"))
import report  # noqa: E402


class VerdictTest(unittest.TestCase):
    def test_only_an_interval_wholly_on_one_side_decides(self):
        at_most = lambda r: r <= 1.05  # noqa: E731
        cases = [
            ((1.00, 0.98, 1.05), "met"),  # the upper end exactly at the goal still meets it
            ((1.10, 1.06, 1.20), "missed"),
            ((1.04, 1.00, 1.06), "undecided"),
            ((1.06, 1.04, 1.09), "undecided"),  # a median that misses decides nothing alone
        ]
        for interval, expected in cases:
            with self.subTest(interval=interval):
                self.assertEqual(report.verdict(interval, at_most), expected)
        self.assertEqual(report.verdict(None, at_most), "not measured")


class BootstrapTest(unittest.TestCase):
    def test_identical_rounds_give_a_point_interval(self):
        self.assertEqual(report.bootstrap_median([1.2] * 15, random.Random(1)), (1.2, 1.2, 1.2))

    def test_interval_holds_the_median_and_stays_within_the_rounds(self):
        rng = random.Random(7)
        xs = [1.0 + 0.01 * i for i in range(15)]
        med, low, high = report.bootstrap_median(xs, rng)
        self.assertEqual(med, 1.07)
        self.assertTrue(min(xs) <= low < med < high <= max(xs), (low, med, high))
        # Fifteen spread rounds leave the interval well inside the extremes.
        self.assertGreater(low, min(xs))
        self.assertLess(high, max(xs))

    def test_an_outlier_round_moves_the_interval_little(self):
        xs = [1.0] * 7 + [1.02] * 7 + [7.7]
        _, low, high = report.bootstrap_median(xs, random.Random(3))
        self.assertLessEqual(high, 1.02)
        self.assertGreaterEqual(low, 1.0)


class PairingTest(unittest.TestCase):
    def test_ratios_pair_values_of_the_same_round_and_skip_rounds_one_side_lacks(self):
        lines = ["extract-disk\tinstaller\t1\t100", "extract-disk\tfloor\t1\t50",
                 "extract-disk\tfloor\t2\t80",  # the installer failed in round 2
                 "extract-disk\tinstaller\t3\t90", "extract-disk\tfloor\t3\t90"]
        with tempfile.NamedTemporaryFile("w", suffix=".tsv", delete=False) as f:
            f.write("\n".join(lines) + "\n")
        try:
            raw = report.Raw(f.name)
        finally:
            os.unlink(f.name)
        self.assertEqual(raw.paired("extract-disk", "installer", "floor", report.ratio), [2.0, 1.0])
        self.assertEqual(raw.values("extract-disk", "floor"), [50, 80, 90])


if __name__ == "__main__":
    unittest.main()

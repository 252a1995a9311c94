#!/usr/bin/env python3
"""Writes the benchmark results file from the raw measurements of bench/run.sh.

  report.py RAW.tsv RESULTS.md --smoke 0|1

RAW.tsv lines: kind, label, round, value (times in microseconds, sizes in
bytes; round 0 holds the figures taken once).

Every goal is judged from figures paired by round: the ratio (or, for memory,
the difference) of the two programs measured in the same round, so that a
slow phase of the machine falls on both. The verdict comes from the 95 %
bootstrap interval of the median of those paired figures: a goal is met when
the whole interval meets it, missed when none of it does, otherwise
undecided.
"""
import datetime
import os
import random
import statistics
import subprocess
import sys
from collections import defaultdict

MIB = 1024 * 1024
BOOTSTRAP_RESAMPLES = 10000


class Raw:
    """The measurements of one run: {(kind, label): {round: value}}."""

    def __init__(self, path):
        self.by_round = defaultdict(dict)
        with open(path, encoding="utf-8") as f:
            for line in f:
                kind, label, round_no, value = line.rstrip("\n").split("\t")
                self.by_round[(kind, label)][int(round_no)] = int(value)

    def values(self, kind, label):
        return [v for _, v in sorted(self.by_round[(kind, label)].items())]

    def one(self, kind, label):
        return self.by_round[(kind, label)].get(0)

    def aligned(self, kind, *labels):
        """One list per label: its values in the rounds in which every label was measured."""
        series = [self.by_round[(kind, label)] for label in labels]
        rounds = [r for r in sorted(series[0]) if all(r in other for other in series[1:])]
        return [[values[r] for r in rounds] for values in series]

    def paired(self, kind, a, b, combine):
        """combine(a, b) for every round in which both were measured."""
        return [combine(x, y) for x, y in zip(*self.aligned(kind, a, b))]

    def failures(self, kind, label):
        return len(self.by_round[(kind + "-failed", label)])


def bootstrap_median(xs, rng):
    """Median of xs and the 95 % percentile-bootstrap interval of it."""
    if not xs:
        return None
    medians = sorted(statistics.median(rng.choices(xs, k=len(xs))) for _ in range(BOOTSTRAP_RESAMPLES))
    return statistics.median(xs), medians[int(0.025 * BOOTSTRAP_RESAMPLES)], medians[int(0.975 * BOOTSTRAP_RESAMPLES) - 1]


def verdict(interval, ok):
    """Met when the whole interval satisfies ok, missed when none of it does."""
    if interval is None:
        return "not measured"
    _, low, high = interval
    if ok(high) and ok(low):
        return "met"
    if not ok(high) and not ok(low):
        return "missed"
    return "undecided"


def fmt_ratio_interval(iv):
    return "n/a" if iv is None else f"{iv[0]:.3f}x [{iv[1]:.3f}, {iv[2]:.3f}]"


def fmt_mib_interval(iv):
    return "n/a" if iv is None else f"{iv[0] / MIB:+.2f} MiB [{iv[1] / MIB:+.2f}, {iv[2] / MIB:+.2f}]"


def median(xs):
    return statistics.median(xs) if xs else None


def spread(xs, unit):
    if not xs:
        return "n/a"
    return f"{unit(min(xs))}..{unit(max(xs))}"


def secs(us):
    return "n/a" if us is None else f"{us / 1e6:.3f} s"


def ms(us):
    return "n/a" if us is None else f"{us / 1e3:.1f} ms"


def mib(b):
    return "n/a" if b is None else f"{b / MIB:.1f} MiB"


def machine():
    model = "unknown"
    with open("/proc/cpuinfo", encoding="utf-8") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    nproc = subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    with open("/proc/loadavg", encoding="utf-8") as f:
        load = " ".join(f.read().split()[:3])
    here = os.path.dirname(os.path.abspath(__file__))
    i386 = subprocess.run(["bash", os.path.join(here, "..", "scripts", "i386-mode.sh")],
                          capture_output=True, text=True).stdout.strip()
    return model, nproc, wine, load, i386


def ratio(a, b):
    return a / b


def difference(a, b):
    return a - b


class Report:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.goals = []

    def interval(self, figures):
        return bootstrap_median(figures, self.rng)

    def goal(self, text, figures, ok, fmt=fmt_ratio_interval):
        iv = self.interval(figures)
        self.goals.append((text, fmt(iv), len(figures), verdict(iv, ok)))
        return iv


def timing_table(L, raw, kind, rows, unit):
    L.append("| Program | Median wall | Min..max | Median CPU (user+sys) | Failed runs |")
    L.append("|---|---|---|---|---|")
    for label, text in rows:
        walls = raw.values(kind, label)
        cpu = raw.values(kind + "-cpu", label)
        L.append(f"| {text} | {unit(median(walls))} | {spread(walls, unit)} | {unit(median(cpu))} |"
                 f" {raw.failures(kind, label)} |")


def memory_table(L, raw, failure_kind, first, second, excess):
    """The medians of two memory figures per program, and the extractors' excess over the same-import no-op.

    first and second: (kind, column heading, name in the excess line)."""
    (kind_a, heading_a, text_a), (kind_b, heading_b, text_b) = first, second
    L.append(f"| Program | {heading_a} | {heading_b} | Failed runs |")
    L.append("|---|---|---|---|")
    for label, text in (("noop-winsock", "same-import no-op"), ("installer", "installer extracting"),
                        ("floor", "floor extracting")):
        L.append(f"| {text} | {mib(median(raw.values(kind_a, label)))} | {mib(median(raw.values(kind_b, label)))} |"
                 f" {raw.failures(failure_kind, label)} |")
    L.append("")
    for who in ("installer", "floor"):
        L.append(f"- Above the same-import no-op, {who}: {text_a} {fmt_mib_interval(excess[(kind_a, who)])},"
                 f" {text_b} {fmt_mib_interval(excess[(kind_b, who)])}.")
    L.append("")


def main(argv):
    raw_path, out_path = argv[1], argv[2]
    smoke = argv[argv.index("--smoke") + 1] == "1"
    raw = Raw(raw_path)
    seed, rounds = raw.one("seed", "value"), raw.one("rounds", "value")
    payload = raw.one("payload", "total")
    rep = Report(seed)

    for medium in ("disk", "tmpfs"):
        kind = f"extract-{medium}"
        rep.goal(f"Extraction, output on {medium}: at most 1.05x the floor",
                 raw.paired(kind, "installer", "floor", ratio), lambda r: r <= 1.05)
        rep.goal(f"Extraction, output on {medium}: faster than NSIS",
                 raw.paired(kind, "installer", "nsis", ratio), lambda r: r < 1.0)
    rep.goal("Start-up of the installer (`--silent --version`): at most 1.05x the same-import no-op",
             raw.paired("start", "setup", "noop-winsock", ratio), lambda r: r <= 1.05)
    rep.goal("Start-up of the bare stub (`--silent --version`): at most 1.05x the same-import no-op",
             raw.paired("start", "stub", "noop-winsock", ratio), lambda r: r <= 1.05)
    rep.goal("Peak private bytes while extracting (`PeakPagefileUsage`): at most 2 MiB above the same-import no-op",
             raw.paired("peak-private", "installer", "noop-winsock", difference), lambda d: d <= 2 * MIB,
             fmt_mib_interval)
    rep.goal("Peak private memory of the Windows process alone (anonymous memory in the 32-bit address space):"
             " at most 2 MiB above the same-import no-op",
             raw.paired("peak-anon-32bit", "installer", "noop-winsock", difference), lambda d: d <= 2 * MIB,
             fmt_mib_interval)
    size_stub = raw.one("size", "stub")
    rep.goals.append(("Stub without payload: at most 96 KiB", f"{size_stub:,} bytes ({size_stub / 1024:.1f} KiB)", 1,
                      "met" if size_stub <= 96 * 1024 else "missed"))
    rep.goal("Packing: at most 4x a plain copy of the stub and the payloads",
             raw.paired("pack", "tarn-pack", "copy", ratio), lambda r: r <= 4.0)
    rep.goal("Packing: faster than makensis (no compression)",
             raw.paired("pack", "tarn-pack", "makensis", ratio), lambda r: r < 1.0)
    rep.goal("Packing: at most half of makensis's time (the aim)",
             raw.paired("pack", "tarn-pack", "makensis", ratio), lambda r: r <= 0.5)
    # Context, not goals: the same intervals for what the goals are set against.
    excess = {(kind, who): rep.interval(raw.paired(kind, who, "noop-winsock", difference))
              for kind in ("peak-ws", "peak-private", "peak-anon-32bit", "peak-anon-above")
              for who in ("installer", "floor")}
    cpu_floor = {m: rep.interval(raw.paired(f"extract-{m}-cpu", "installer", "floor", ratio)) for m in ("disk", "tmpfs")}
    start_lower = rep.interval(raw.paired("start", "setup", "noop", ratio))

    model, nproc, wine, load, i386 = machine()
    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    L = ["# Benchmark results" + (" (smoke run: tiny inputs, figures meaningless)" if smoke else ""), ""]
    L.append(f"- Date: {now}; written by `bench/run.sh`, every figure from this one run: {rounds} rounds after"
             f" one warm-up round, seed {seed} (`bench/run.sh --seed {seed}` repeats the order).")
    L.append(f"- How 32-bit code ran: {i386}. Every figure here was taken that way; figures of a run where 32-bit"
             " code ran the other way are not comparable with these.")
    L.append(f"- Machine: {nproc} x {model}; load average at the end {load}. Other work may have shared the"
             " machine; the shuffled order and the pairing by round spread that over the programs compared.")
    L.append(f"- Wine: {wine}, 64-bit prefix of its own in the build tree. Output on disk: the build tree's file"
             " system (page cache; nothing forces it to the device); on tmpfs: a directory under /dev/shm.")
    L.append(f"- Payloads: three random packages of {payload:,} bytes in all ({payload / MIB:.1f} MiB),"
             " sizes as the shipped container's.")
    L.append("- Every round runs every measurement once, in an order shuffled from the seed and the round. Times"
             " are wall times of the whole process (`wine prog ...` from start to exit); a start-up's figure is the"
             " middle one of three starts in a row. Before each extraction and"
             " packing the previous outputs are deleted and synced. One Wine server serves all runs.")
    L.append("- Verdicts: from the ratios (memory: differences) of the two programs in the same round; median"
             f" and 95 % bootstrap interval ({BOOTSTRAP_RESAMPLES} resamples) of those. Met: the whole interval"
             " meets the goal; missed: none of it does; otherwise undecided.")
    L.append("")
    L.append("## Goals")
    L.append("")
    L.append("| Goal | Median [95 % interval] | Rounds | Verdict |")
    L.append("|---|---|---|---|")
    for text, figure, n, v in rep.goals:
        L.append(f"| {text} | {figure} | {n} | {v} |")
    L.append("")

    L.append("## 1. Extraction and verification")
    L.append("")
    for medium in ("disk", "tmpfs"):
        L.append(f"Output on {medium}:")
        L.append("")
        timing_table(L, raw, f"extract-{medium}", [
            ("installer", "installer `setup.exe --extract --silent --path DIR`"),
            ("floor", "floor (`floor.exe DIR`: same container, one WriteFile per package, read-back in 64 KiB"
                      " blocks with compare)"),
            ("nsis", "NSIS, `SetCompress off`, `/S /D=DIR`")], secs)
        L.append("")
        L.append(f"- By CPU time of the Wine process (the Wine server's share not counted), installer / floor:"
                 f" {fmt_ratio_interval(cpu_floor[medium])}.")
        L.append("")
    L.append("The floor is linked by the packer from a kit of its own, so it carries the very same container"
             " resources with the same page-aligned image layout, and it starts as the installer must: the same six"
             " imports and ws2_32.dll loaded (`bench/floor/floor.c`).")
    L.append("")

    L.append("## 2. Start-up")
    L.append("")
    timing_table(L, raw, "start", [
        ("noop", "no-op (no C runtime, `ExitProcess(0)`, imports kernel32 only): the lower bound"),
        ("noop-imports", "no-op importing the installer's six libraries"),
        ("noop-winsock", "same-import no-op: the six libraries, and ws2_32.dll loaded from the system directory as"
                         " the runtime's start-up does"),
        ("stub", "bare stub `tarnstub.exe --silent --version`"),
        ("setup", "installer with the packages `setup.exe --silent --version`")], ms)
    L.append("")
    L.append(f"- Installer / kernel32-only no-op: {fmt_ratio_interval(start_lower)}.")
    L.append("")

    L.append("## 3. Memory while extracting (output on disk)")
    L.append("")
    L.append("Read with `K32GetProcessMemoryInfo` by `bench-peakmem.exe`, which starts the process and polls it every"
             " millisecond: peak working set (`PeakWorkingSetSize`) and peak private bytes (`PeakPagefileUsage`,"
             " or `PagefileUsage` where higher).")
    L.append("")
    memory_table(L, raw, "peak", ("peak-ws", "Peak working set", "working set"),
                 ("peak-private", "Peak private bytes", "private bytes"), excess)
    L.append("The same processes as Linux sees them (`bench/tools/anonpeak.py`, /proc/PID/smaps read every few"
             " milliseconds): anonymous memory in the 32-bit address space, which is the Windows process's own"
             " private memory, and above it, where only an emulator's memory lives (its translated code and data;"
             " none when 32-bit code runs natively). Wine reports the sum of both as private bytes.")
    L.append("")
    memory_table(L, raw, "peak-split", ("peak-anon-32bit", "Anonymous, 32-bit space", "32-bit space"),
                 ("peak-anon-above", "Anonymous, above", "above it"), excess)

    size_setup = raw.one("size", "setup")
    small1, small3, small_payload = raw.one("size", "small1"), raw.one("size", "small3"), raw.one("size", "small-payload")
    L.append("## 4. Size")
    L.append("")
    L.append(f"- Stub without payload (`build/win32/tarnstub.exe`): {size_stub:,} bytes ({size_stub / 1024:.1f} KiB).")
    L.append(f"- Overhead per package, small packages (4 KiB): {(small3 - small1 - 2 * small_payload) / 2:,.0f} bytes"
             " (header resource, resource directory entries, alignment).")
    L.append(f"- Overhead per package in this run's installer: {(size_setup - size_stub - payload) / 3:,.0f} bytes"
             f" (installer {size_setup:,} bytes = stub + payload + 3 x that).")
    L.append("")

    L.append("## 5. Packing the set")
    L.append("")
    L.append("| Command | Median wall | Min..max | Failed runs |")
    L.append("|---|---|---|---|")
    for label, text in (("tarn-pack", "`tarn-pack -o setup.exe --package ...` (three packages)"),
                        ("bare", "`tarn-pack -o bare.exe` (the bare stub, no packages)"),
                        ("copy", "`cat` of the kit's stub and the three packages into one file"),
                        ("makensis", "`makensis` of the same packages, `SetCompress off`")):
        walls = raw.values("pack", label)
        L.append(f"| {text} | {secs(median(walls))} | {spread(walls, secs)} | {raw.failures('pack', label)} |")
    L.append("")
    with open(out_path, "w", encoding="utf-8") as f:
        f.write("\n".join(L))
    return 0



if __name__ == "__main__":
    sys.exit(main(sys.argv))

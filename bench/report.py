#!/usr/bin/env python3
"""Writes the benchmark results file from the raw measurements of bench/run.sh.

  report.py RAW.tsv RESULTS.md --smoke 0|1 --runs N

RAW.tsv lines: kind, label, value (times in microseconds, sizes in bytes).
"""
import datetime
import os
import platform
import statistics
import subprocess
import sys
from collections import defaultdict

MIB = 1024 * 1024


def values(raw, kind, label):
    return raw[(kind, label)]


def median(xs):
    return statistics.median(xs) if xs else None


def spread(xs):
    """Spread as min..max around the median, in per cent of the median."""
    m = median(xs)
    if not xs or not m:
        return "n/a"
    return f"{min(xs) / 1e6:.3f}..{max(xs) / 1e6:.3f} s (-{(m - min(xs)) / m * 100:.0f}%/+{(max(xs) - m) / m * 100:.0f}%)"


def secs(us):
    return "n/a" if us is None else f"{us / 1e6:.3f} s"


def ms(us):
    return "n/a" if us is None else f"{us / 1e3:.1f} ms"


def ratio(a, b):
    return None if a is None or not b else a / b


def fmt_ratio(r):
    return "n/a" if r is None else f"{r:.2f}x"


def mib(b):
    return "n/a" if b is None else f"{b / MIB:.1f} MiB"


def verdict(ok):
    if ok is None:
        return "not measured"
    return "met" if ok else "missed"


def machine():
    model = "unknown"
    with open("/proc/cpuinfo", encoding="utf-8") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    nproc = subprocess.run(["nproc"], capture_output=True, text=True).stdout.strip()
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    load = open("/proc/loadavg", encoding="utf-8").read().split()[:3]
    here = os.path.dirname(os.path.abspath(__file__))
    i386 = subprocess.run(["bash", os.path.join(here, "..", "scripts", "i386-mode.sh")],
                          capture_output=True, text=True).stdout.strip()
    return model, nproc, wine, " ".join(load), i386


def main(argv):
    raw_path, out_path = argv[1], argv[2]
    smoke = argv[argv.index("--smoke") + 1] == "1"
    runs = int(argv[argv.index("--runs") + 1])
    raw = defaultdict(list)
    with open(raw_path, encoding="utf-8") as f:
        for line in f:
            kind, label, value = line.rstrip("\n").split("\t")
            if value:
                raw[(kind, label)].append(int(value))

    payload = values(raw, "payload", "total")[0]
    ext = {w: values(raw, "extract", w) for w in ("installer", "floor", "nsis", "floor-inside")}
    failed = {w: len(values(raw, "extract-failed", w)) for w in ("installer", "floor", "nsis")}
    med = {w: median(v) for w, v in ext.items()}
    cpu = {w: median(values(raw, "extract-cpu", w)) for w in ("installer", "floor", "nsis")}
    r_floor = ratio(med["installer"], med["floor"])
    r_nsis = ratio(med["installer"], med["nsis"])
    # Ratios of the runs paired by round, for their spread.
    pairs_floor = [a / b for a, b in zip(ext["installer"], ext["floor"])] if not failed["installer"] else []
    st = {w: values(raw, "start", w) for w in ("noop", "noop-imports", "noop-winsock", "stub", "stub-silent-first", "setup")}
    smed = {w: median(v) for w, v in st.items()}
    scpu = {w: median(values(raw, "start-cpu", w)) for w in st}
    r_start = ratio(smed["setup"], smed["noop"])
    r_start_stub = ratio(smed["stub"], smed["noop"])
    size_stub = values(raw, "size", "stub")[0]
    size_setup = values(raw, "size", "setup")[0]
    small1, small3 = values(raw, "size", "small1")[0], values(raw, "size", "small3")[0]
    small_payload = values(raw, "size", "small-payload")[0]
    over_small = (small3 - small1 - 2 * small_payload) / 2  # two packages more
    over_big = (size_setup - size_stub - payload) / 3
    peaks = {w: values(raw, "peak", w) for w in ("noop", "noop-imports", "installer", "floor")}
    pmed = {w: median(v) for w, v in peaks.items()}
    peak_exit = values(raw, "peak-exit", "installer")
    peak_failed = len(values(raw, "peak-failed", "installer"))
    pack = values(raw, "pack", "seconds")

    model, nproc, wine, load, i386 = machine()
    now = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    goals = [
        ("Extraction <= 1.10 x floor", fmt_ratio(r_floor), verdict(None if r_floor is None else r_floor <= 1.10)),
        ("Extraction ahead of NSIS", fmt_ratio(r_nsis), verdict(None if r_nsis is None else r_nsis < 1.0)),
        ("Start-up <= 1.15 x no-op", fmt_ratio(r_start), verdict(None if r_start is None else r_start <= 1.15)),
        ("Stub <= 96 KiB", f"{size_stub / 1024:.1f} KiB", verdict(size_stub <= 96 * 1024)),
        ("Peak memory <= payload + 8 MiB",
         "n/a" if pmed["installer"] is None else f"{pmed['installer'] / MIB:.1f} MiB (payload {payload / MIB:.1f} MiB)",
         verdict(None if pmed["installer"] is None or (peak_exit and max(peak_exit) != 0)
                 else pmed["installer"] <= payload + 8 * MIB)),
    ]

    L = []
    L.append("# Benchmark results" + (" (smoke run: tiny inputs, figures meaningless)" if smoke else ""))
    L.append("")
    L.append(f"- Date: {now}; written by `bench/run.sh`, every figure from this one run.")
    L.append(f"- Machine: {nproc} x {model}; load average at the end {load}. The machine was shared with other"
             " builds and tests while this ran, so absolute times are noisy; the runs alternate to spread that"
             " noise evenly over the programs compared.")
    L.append(f"- How 32-bit code ran: {i386}. Every figure here was taken that way; figures of a run where 32-bit"
             " code ran the other way are not comparable with these.")
    L.append(f"- Wine: {wine}, 64-bit prefix of its own in the build tree, files on the build tree's disk"
             " (page cache; nothing forces them to the device).")
    L.append(f"- Payloads: three random packages of {payload:,} bytes in all ({payload / MIB:.1f} MiB),"
             " sizes as the shipped container's.")
    L.append(f"- Times are wall times of the whole Windows process under Wine (`wine prog ...` from start to exit),"
             f" median of {runs} alternating runs after one warm-up round, spread as min..max. One Wine server"
             " serves all runs; before each extraction the previous output is deleted and synced to the disk.")
    L.append("")
    L.append("## Goals")
    L.append("")
    L.append("| Goal | Figure | Verdict |")
    L.append("|---|---|---|")
    for g in goals:
        L.append(f"| {g[0]} | {g[1]} | {g[2]} |")
    L.append("")
    L.append("## 1. Extraction and verification against the floor; 2. against NSIS")
    L.append("")
    L.append("| Program | Median wall | Spread | Median CPU (user+sys) | Failed runs |")
    L.append("|---|---|---|---|---|")
    L.append(f"| installer `setup.exe --extract --silent --path DIR` | {secs(med['installer'])} | {spread(ext['installer'])} | {secs(cpu['installer'])} | {failed['installer']} |")
    L.append(f"| floor (`floor.exe DIR`: same container, one WriteFile per package, read-back in 64 KiB blocks with compare) | {secs(med['floor'])} | {spread(ext['floor'])} | {secs(cpu['floor'])} | {failed['floor']} |")
    L.append(f"| NSIS 3.08, `SetCompress off`, `/S /D=DIR` | {secs(med['nsis'])} | {spread(ext['nsis'])} | {secs(cpu['nsis'])} | {failed['nsis']} |")
    L.append(f"| floor, write and read-back alone (timed inside the process) | {secs(med['floor-inside'])} | {spread(ext['floor-inside'])} | | |")
    L.append("")
    L.append(f"- installer / floor: {fmt_ratio(r_floor)}"
             + (f" (paired by round: {min(pairs_floor):.2f}..{max(pairs_floor):.2f})" if pairs_floor else ""))
    L.append(f"- installer / NSIS: {fmt_ratio(r_nsis)}")
    L.append(f"- By CPU time (less sensitive to the load of other processes; the Wine server's share is not"
             f" counted): installer / floor {fmt_ratio(ratio(cpu['installer'], cpu['floor']))},"
             f" installer / NSIS {fmt_ratio(ratio(cpu['installer'], cpu['nsis']))}.")
    if failed["installer"]:
        L.append(f"- The installer did not extract in {failed['installer']} run(s) (wrong exit code or missing or"
                 " wrong files, checked byte for byte after each run): no installer figure is given for those.")
    imports_cost = None if smed["noop-imports"] is None or smed["noop"] is None else smed["noop-imports"] - smed["noop"]
    if imports_cost is not None and med["floor"] is not None:
        L.append(f"- The floor imports kernel32 only; loading the six libraries the installer must import costs"
                 f" {ms(imports_cost)} under Wine (section 3). Installer / (floor + that):"
                 f" {fmt_ratio(ratio(med['installer'], med['floor'] + imports_cost))}.")
    L.append("- The floor program is linked by the packer from a kit of its own, so it carries the very same"
             " container resources with the same page-aligned image layout: process start and image mapping"
             " cost the same in both; the difference is the installer's own work.")
    L.append("")
    L.append("## 3. Start-up")
    L.append("")
    L.append("| Program | Median wall | Spread | Median CPU |")
    L.append("|---|---|---|---|")
    L.append(f"| no-op program (no C runtime, `ExitProcess(0)`, imports kernel32 only) | {ms(smed['noop'])} | {spread(st['noop'])} | {ms(scpu['noop'])} |")
    L.append(f"| no-op program importing the installer's six libraries | {ms(smed['noop-imports'])} | {spread(st['noop-imports'])} | {ms(scpu['noop-imports'])} |")
    L.append(f"| the same, also loading ws2_32.dll from the system directory (as the runtime's start-up does) | {ms(smed['noop-winsock'])} | {spread(st['noop-winsock'])} | {ms(scpu['noop-winsock'])} |")
    L.append(f"| bare stub `tarnstub.exe --version --silent` (the version goes to a message box: `--silent` comes after it) | {ms(smed['stub'])} | {spread(st['stub'])} | {ms(scpu['stub'])} |")
    L.append(f"| bare stub `tarnstub.exe --silent --version` (the version on standard output) | {ms(smed['stub-silent-first'])} | {spread(st['stub-silent-first'])} | {ms(scpu['stub-silent-first'])} |")
    L.append(f"| installer with the packages `setup.exe --version --silent` | {ms(smed['setup'])} | {spread(st['setup'])} | {ms(scpu['setup'])} |")
    L.append("")
    L.append(f"- installer / no-op: {fmt_ratio(r_start)}; bare stub / no-op: {fmt_ratio(r_start_stub)}"
             f" ({len(st['noop'])} alternating runs each); installer / no-op importing the same libraries:"
             f" {fmt_ratio(ratio(smed['setup'], smed['noop-imports']))}; bare stub / no-op importing the same libraries"
             f" and loading ws2_32.dll: {fmt_ratio(ratio(smed['stub'], smed['noop-winsock']))} (`--version --silent`),"
             f" {fmt_ratio(ratio(smed['stub-silent-first'], smed['noop-winsock']))} (`--silent --version`).")
    L.append("")
    L.append("## 4. Size and peak memory")
    L.append("")
    L.append(f"- Stub without payload (`build/win32/tarnstub.exe`): {size_stub:,} bytes ({size_stub / 1024:.1f} KiB).")
    L.append(f"- Overhead per package, small packages (4 KiB, 512-byte file alignment): {over_small:,.0f} bytes"
             " (header resource, resource directory entries, alignment).")
    L.append(f"- Overhead per package in this run's installer: {over_big:,.0f} bytes"
             f" (installer {size_setup:,} bytes = stub + payload + 3 x that).")
    L.append("- Peak working set, read with `K32GetProcessMemoryInfo` (`PeakWorkingSetSize`) by a helper program"
             " that starts the process and polls it every millisecond until it ends"
             f" (`bench-peakmem.exe`), median of {len(peaks['installer'])}:")
    L.append(f"  - installer extracting: {mib(pmed['installer'])}"
             f"{' (exit codes ' + ','.join(map(str, peak_exit)) + ')' if peak_exit else ''}")
    if peak_failed:
        L.append(f"  - the installer did not extract completely in {peak_failed} peak-memory run(s): not counted")
    L.append(f"  - floor extracting: {mib(pmed['floor'])}")
    L.append(f"  - no-op program (what Wine itself maps into every process): {mib(pmed['noop'])}")
    L.append(f"  - no-op program importing the installer's six libraries: {mib(pmed['noop-imports'])}")
    L.append(f"  - payload + 8 MiB: {(payload + 8 * MIB) / MIB:.1f} MiB")
    L.append("")
    L.append("## 5. Packing")
    L.append("")
    L.append(f"- `scripts/tarn-pack` for the three packages: median {secs(median(pack))}, spread {spread(pack)}"
             f" ({len(pack)} runs).")
    L.append("")
    with open(out_path, "w", encoding="utf-8") as f:
        f.write("\n".join(L))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

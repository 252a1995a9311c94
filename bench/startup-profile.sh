#!/usr/bin/env bash
# Where the installer's start-up time goes under Wine: the no-op programs
# (kernel32 only; the installer's six imports; those plus ws2_32.dll, which
# the runtime's start-up loads) against the bare stub, in alternating rounds
# with one Wine server kept running for all of them.
#
#   bench/startup-profile.sh [--runs N] [--kit DIR]... [-- STUB ARGUMENTS]
#
# The stub runs with "--version --silent" unless other arguments follow "--".
# Every --kit adds an installer without packages linked from that stub kit
# (for example one saved before a change), labelled by the kit's directory
# name. Prints the median and spread of wall time and the medians of user
# and system CPU time of each.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

runs=20
kits=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift ;;
    --kit) kits+=("$2"); shift ;;
    --) shift; break ;;
    *) echo "usage: bench/startup-profile.sh [--runs N] [--kit DIR]... [-- STUB ARGUMENTS]" >&2; exit 2 ;;
  esac
  shift
done
stub_args=("$@")
[ ${#stub_args[@]} -gt 0 ] || stub_args=(--version --silent)

build=$root/build/win32
work=$build/bench-startup
mkdir -p "$work"
cmake --build --preset win32 --target tarnstub-bare bench-noop bench-noop-imports bench-noop-winsock bench-hold-desktop >/dev/null
export WINEPREFIX=$build/bench/wineprefix TARN_WINEPREFIX=$build/bench/wineprefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

programs=(noop noop-imports noop-winsock stub)
declare -A command
command[noop]="$build/bench/bench-noop.exe"
command[noop-imports]="$build/bench/bench-noop-imports.exe"
command[noop-winsock]="$build/bench/bench-noop-winsock.exe"
command[stub]="$build/tarnstub.exe ${stub_args[*]}"
for kit in "${kits[@]}"; do
  label=stub-$(basename "$kit")
  scripts/tarn-pack --stub-kit "$kit" -o "$work/$label.exe" >/dev/null
  programs+=("$label")
  command[$label]="$work/$label.exe ${stub_args[*]}"
done

scripts/wine-run.sh "$build/bench/bench-noop.exe"
wineserver -p 2>/dev/null || true  # already running: kept
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's desktop process stays up, as Windows's desktop does (see bench/tools/hold-desktop.c).
wine "$root/build/win32/bench/bench-hold-desktop.exe" &
raw=$work/raw.tsv
: >"$raw"
for ((r = 0; r <= runs; r++)); do
  for p in "${programs[@]}"; do
    # shellcheck disable=SC2086
    read -r wall user sys rc < <(python3 - wine ${command[$p]} <<'PY'
import resource, subprocess, sys, time
t0 = time.perf_counter_ns()
rc = subprocess.call(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
t1 = time.perf_counter_ns()
ru = resource.getrusage(resource.RUSAGE_CHILDREN)
print((t1 - t0) // 1000, int(ru.ru_utime * 1e6), int(ru.ru_stime * 1e6), rc)
PY
)
    [ "$rc" -eq 0 ] || { echo "$p: exit code $rc" >&2; exit 1; }
    [ $r -eq 0 ] || printf '%s\t%s\t%s\t%s\n' "$p" "$wall" "$user" "$sys" >>"$raw"  # round 0 warms up
  done
done

python3 - "$raw" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    label, *xs = line.split()
    rows.setdefault(label, []).append([int(x) / 1e3 for x in xs])
med = statistics.median
base = med([x[0] for x in rows["noop"]])
print(f"{'program':<16} {'wall':>7} {'min..max':>14} {'user':>7} {'sys':>7} {'wall/noop':>9}  (ms, medians)")
for label, xs in rows.items():
    w, u, s = ([x[i] for x in xs] for i in range(3))
    print(f"{label:<16} {med(w):>7.1f} {min(w):>6.0f}..{max(w):<6.0f} {med(u):>7.1f} {med(s):>7.1f} {med(w) / base:>8.2f}x")
PY
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"

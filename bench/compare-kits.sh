#!/usr/bin/env bash
# Extraction of the benchmark's three-package set by installers linked from
# different stub kits (a kit saved before a change against the current one),
# and by the floor, in alternating rounds under the same Wine: a narrower
# check of one product change than bench/run.sh.
#
#   bench/compare-kits.sh [--runs N] [--strace] LABEL=KIT_DIR...
#
# Prints, per program, the median and the spread of wall time and the
# medians of user and system CPU time of the Wine process. Each run starts
# after the previous output is deleted and synced, so no program pays for
# another's write-back. With --strace, one more run of each
# under strace -f -c gives the count of system calls per kind (in
# build/win32/bench-kits/<label>.strace); file transfers show there as
# pread64/pwrite64 or read/write.
# Payloads are the ones bench/run.sh makes (made here when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

runs=7
strace=0
kits=()
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift ;;
    --strace) strace=1 ;;
    *=*) kits+=("$1") ;;
    *) echo "usage: bench/compare-kits.sh [--runs N] [--strace] LABEL=KIT_DIR..." >&2; exit 2 ;;
  esac
  shift
done
[ ${#kits[@]} -gt 0 ] || { echo "bench/compare-kits.sh: no kit given" >&2; exit 2; }

build=$root/build/win32
work=$build/bench-kits
payloads=$build/bench/payloads
mkdir -p "$work" "$payloads"
names=(Tarnvale-7.2.0_BETA1-r169020-MultiArch_amd64.msi Tarnvale-7.2.0_BETA1-r169020-MultiArch_arm64.msi common.cab)
archs=(amd64 arm64 all)
sizes=(53932032 55402496 57083473)
pack_args=()
for i in 0 1 2; do
  f=$payloads/${names[$i]}
  if [ ! -f "$f" ] || [ "$(stat -c %s "$f")" -ne "${sizes[$i]}" ]; then
    head -c "${sizes[$i]}" /dev/urandom >"$f"
  fi
  pack_args+=(--package "${archs[$i]}:$f")
done
# The packages are random bytes, not MSI packages to take the version resource's texts from.
pack_args+=(--product-name "Tarnvale Benchmark" --product-version 7.2.0 --company Tarnvale)

cmake --build --preset win32 --target bench-floor-kit bench-hold-desktop >/dev/null
export WINEPREFIX=$build/bench/wineprefix TARN_WINEPREFIX=$build/bench/wineprefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

labels=()
for kit in "${kits[@]}"; do
  label=${kit%%=*}
  scripts/tarn-pack --stub-kit "${kit#*=}" -o "$work/$label.exe" "${pack_args[@]}" >/dev/null
  labels+=("$label")
done
scripts/tarn-pack --stub-kit "$build/bench/floor-kit" -o "$work/floor.exe" "${pack_args[@]}" >/dev/null
labels+=(floor)

out=$work/out
winout="Z:${out//\//\\}"
command_of() {
  if [ "$1" = floor ]; then
    echo "$work/floor.exe $winout"
  else
    echo "$work/$1.exe --extract --silent --path $winout"
  fi
}
check_out() {
  local i
  for i in 0 1 2; do cmp -s "$payloads/${names[$i]}" "$out/${names[$i]}" || return 1; done
}

raw=$work/raw.tsv
: >"$raw"
# One Wine server for all runs: a server started by a run (after the previous
# one timed out while the disk synced) would be charged to that run.
wineserver -p 2>/dev/null || true  # already running: kept
trap 'wineserver -k 2>/dev/null || true' EXIT
# Wine's desktop process stays up, as Windows's desktop does (see bench/tools/hold-desktop.c).
wine "$root/build/win32/bench/bench-hold-desktop.exe" &
scripts/wine-run.sh "$build/bench/bench-noop.exe" 2>/dev/null || wine "$build/bench/bench-noop.exe"
for ((r = 0; r <= runs; r++)); do
  for label in "${labels[@]}"; do
    rm -rf "$out"
    sync
    # shellcheck disable=SC2046
    read -r wall user sys rc < <(python3 - "$work/$label.stderr" wine $(command_of "$label") <<'PY'
import resource, subprocess, sys, time
t0 = time.perf_counter_ns()
with open(sys.argv[1], "wb") as err:
    rc = subprocess.call(sys.argv[2:], stdout=subprocess.DEVNULL, stderr=err, stdin=subprocess.DEVNULL)
t1 = time.perf_counter_ns()
ru = resource.getrusage(resource.RUSAGE_CHILDREN)
print((t1 - t0) // 1000, int(ru.ru_utime * 1e6), int(ru.ru_stime * 1e6), rc)
PY
)
    if [ "$rc" -ne 0 ] || ! check_out; then
      echo "$label: failed (exit code $rc), see $work/$label.stderr" >&2
      exit 1
    fi
    [ $r -eq 0 ] || printf '%s\t%s\t%s\t%s\n' "$label" "$wall" "$user" "$sys" >>"$raw"  # round 0 warms up
  done
done

python3 - "$raw" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    label, *xs = line.split()
    rows.setdefault(label, []).append([int(x) / 1e3 for x in xs])
print(f"{'program':<12} {'wall median':>12} {'wall min..max':>16} {'user':>8} {'sys':>8} {'user+sys':>9}  (ms, medians)")
for label, xs in rows.items():
    w, u, s = ([x[i] for x in xs] for i in range(3))
    c = [a + b for a, b in zip(u, s)]
    med = statistics.median
    print(f"{label:<12} {med(w):>12.0f} {min(w):>7.0f}..{max(w):<7.0f} {med(u):>8.0f} {med(s):>8.0f} {med(c):>9.0f}")
PY
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"

if [ $strace -eq 1 ]; then
  for label in "${labels[@]}"; do
    rm -rf "$out"
    # shellcheck disable=SC2046
    strace -f -c -o "$work/$label.strace" wine $(command_of "$label") >/dev/null 2>&1
    echo "== $label: system calls (top 12, $work/$label.strace)"
    sed -n '3,14p' "$work/$label.strace"
  done
  rm -rf "$out"
fi

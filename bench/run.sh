#!/usr/bin/env bash
# Benchmarks of the installer under Wine, all measured in one run on this
# machine, and bench/RESULTS.md written from them:
#   1. extraction and verification of a three-package set (--extract --silent
#      --path) against the floor: the same container written by a program that
#      does one WriteFile per package and one read-back with compare
#   2. the same packages in an uncompressed NSIS installer, run silently
#   3. start-up (--version --silent) against a no-op program
#   4. sizes (bare stub, overhead per package) and peak working set while extracting
#   5. the packer's time for the set
#
#   bench/run.sh [--smoke] [--runs N]
#
# --smoke: tiny packages, one run each, results in the build tree only (a
# check that the benchmarks still work, for CI; the figures mean nothing).
# Payloads are random, generated into build/win32/bench*/ and never committed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

smoke=0
runs=9
while [ $# -gt 0 ]; do
  case $1 in
    --smoke) smoke=1; runs=1 ;;
    --runs) runs=$2; shift ;;
    *) echo "usage: bench/run.sh [--smoke] [--runs N]" >&2; exit 2 ;;
  esac
  shift
done

names=(Tarnvale-7.2.0_BETA1-r169020-MultiArch_amd64.msi Tarnvale-7.2.0_BETA1-r169020-MultiArch_arm64.msi common.cab)
archs=(amd64 arm64 all)
if [ $smoke -eq 1 ]; then
  sizes=(70001 90002 110003)
  work=$root/build/win32/bench-smoke
  startup_runs=2
  pack_runs=1
  results=$work/RESULTS.md
else
  sizes=(53932032 55402496 57083473)
  work=$root/build/win32/bench
  startup_runs=20
  pack_runs=3
  results=$root/bench/RESULTS.md
fi
build=$root/build/win32
raw=$work/raw.tsv
mkdir -p "$work"
: >"$raw"

log() { echo "bench: $*" >&2; }
record() { printf '%s\t%s\t%s\n' "$1" "$2" "$3" >>"$raw"; }
now_ns() { date +%s%N; }
# Runs a Windows program under Wine; sets wall_us, cpu_us and rc.
measure() {
  local stdout=$1 stderr=$2
  shift 2
  read -r wall_us cpu_us rc < <(python3 bench/tools/measure.py "$stdout" "$stderr" -- wine "$@")
}
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

log "building the stub, the stub kit and the benchmark programs"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target tarnstub-bare tarnstub-kit bench-floor-kit bench-noop bench-noop-imports \
  bench-noop-winsock bench-peakmem >/dev/null

export WINEPREFIX=$work/wineprefix TARN_WINEPREFIX=$work/wineprefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
log "preparing the Wine prefix"
scripts/wine-run.sh "$build/bench/bench-noop.exe"
# One Wine server for the whole run: otherwise a run that starts after the
# previous server timed out is charged with starting a new one.
wineserver -p 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT

# ---- payloads -------------------------------------------------------------
payloads=$work/payloads
mkdir -p "$payloads"
total=0
pack_args=()
for i in 0 1 2; do
  f=$payloads/${names[$i]}
  if [ ! -f "$f" ] || [ "$(stat -c %s "$f")" -ne "${sizes[$i]}" ]; then
    head -c "${sizes[$i]}" /dev/urandom >"$f"
  fi
  total=$((total + sizes[i]))
  pack_args+=(--package "${archs[$i]}:$f")
done
record payload total "$total"
# The packages are random bytes, not MSI packages to take the version resource's texts from.
pack_args+=(--product-name "Tarnvale Benchmark" --product-version 7.2.0 --company Tarnvale)

# ---- 5. packing ------------------------------------------------------------
setup=$work/setup.exe
for ((r = 1; r <= pack_runs; r++)); do
  rm -f "$setup"
  t0=$(now_ns); scripts/tarn-pack -o "$setup" "${pack_args[@]}" >/dev/null; t1=$(now_ns)
  record pack seconds "$(((t1 - t0) / 1000))"
done
floor=$work/floor.exe
scripts/tarn-pack --stub-kit "$build/bench/floor-kit" -o "$floor" "${pack_args[@]}" >/dev/null

# ---- NSIS installer with the same packages -----------------------------------
nsis=$work/nsis-setup.exe
{
  echo "OutFile \"$nsis\""
  cat <<'NSI'
Unicode true
SetCompress off
SilentInstall silent
RequestExecutionLevel user
InstallDir "$TEMP\bench-nsis"
Section
  SetOutPath "$INSTDIR"
NSI
  for i in 0 1 2; do echo "  File \"$payloads/${names[$i]}\""; done
  echo 'SectionEnd'
} >"$work/bench.nsi"
makensis -V1 "$work/bench.nsi" >/dev/null

# ---- 1./2. extraction: installer, floor and NSIS, alternating ----------------
out=$work/out
verify_out() {
  local i
  for i in 0 1 2; do
    cmp -s "$payloads/${names[$i]}" "$out/${names[$i]}" || return 1
  done
}
run_extract() {
  local what=$1
  shift
  # The previous output is deleted and written back before the clock starts,
  # so no program pays for the write-back of the one before it (the order of
  # the programs is fixed, so that cost would always fall on the same one).
  rm -rf "$out"
  sync
  measure "$work/$what.stdout" "$work/$what.stderr" "$@"
  if [ "${rc:-1}" -ne 0 ] || ! verify_out; then
    log "$what: exit code $rc, extracted files $(verify_out && echo complete || echo missing or wrong)"
    record "extract-failed" "$what" "$rc"
    return 0
  fi
  record extract "$what" "$wall_us"
  record extract-cpu "$what" "$cpu_us"
  if [ "$what" = floor ]; then
    record extract floor-inside "$(awk '/^floor-us/ {print $2}' "$work/floor.stdout")"
  fi
}
extract_round() {
  run_extract installer "$setup" --extract --silent --path "$(winpath "$out")"
  run_extract floor "$floor" "$(winpath "$out")"
  run_extract nsis "$nsis" /S "/D=$(winpath "$out")"
}
log "extraction: warm-up round"
: >"$work/warmup.tsv"
raw_saved=$raw; raw=$work/warmup.tsv; extract_round; raw=$raw_saved
for ((r = 1; r <= runs; r++)); do
  log "extraction: round $r of $runs"
  extract_round
done
rm -rf "$out"

# ---- 3. start-up --------------------------------------------------------------
noop=$build/bench/bench-noop.exe
noop_imports=$build/bench/bench-noop-imports.exe
stub=$build/tarnstub.exe
run_start() {
  local what=$1
  shift
  measure /dev/null /dev/null "$@"
  if [ "${rc:-1}" -ne 0 ]; then log "$what: start-up run failed"; record start-failed "$what" "$rc"; return 0; fi
  record start "$what" "$wall_us"
  record start-cpu "$what" "$cpu_us"
}
log "start-up: $startup_runs rounds"
wine "$noop"; wine "$stub" --version --silent >/dev/null 2>&1 || true
for ((r = 1; r <= startup_runs; r++)); do
  run_start noop "$noop"
  run_start noop-imports "$noop_imports"
  run_start noop-winsock "$build/bench/bench-noop-winsock.exe"
  run_start stub "$stub" --version --silent
  # Options are read left to right: only here is the version printed silently (above it goes to a message box).
  run_start stub-silent-first "$stub" --silent --version
  run_start setup "$setup" --version --silent
done

# ---- 4. sizes and peak memory --------------------------------------------------
record size stub "$(stat -c %s "$stub")"
record size setup "$(stat -c %s "$setup")"
small=$work/small
mkdir -p "$small"
small_args=()
for i in 0 1 2; do
  head -c 4096 /dev/urandom >"$small/pkg$i.cab"
  small_args+=(--package "all:$small/pkg$i.cab")
done
scripts/tarn-pack -o "$small/setup1.exe" "${small_args[@]:0:2}" >/dev/null
scripts/tarn-pack -o "$small/setup3.exe" "${small_args[@]}" >/dev/null
record size small1 "$(stat -c %s "$small/setup1.exe")"
record size small3 "$(stat -c %s "$small/setup3.exe")"
record size small-payload 4096

peak() {
  local what=$1 line
  shift
  rm -rf "$out"
  sync
  line=$(wine "$build/bench/bench-peakmem.exe" "$@" 2>/dev/null | tr -d '\r' | grep '^peak-working-set' || true)
  if [ -z "$line" ]; then log "$what: no peak reading"; return 0; fi
  # An extraction that left no complete output has no meaningful peak.
  if [ "${what#noop}" = "$what" ] && ! verify_out; then
    log "$what: no peak reading (extraction incomplete)"
    record peak-failed "$what" 1
    return 0
  fi
  record peak "$what" "$(echo "$line" | awk '{print $2}')"
  record peak-exit "$what" "$(echo "$line" | awk '{print $4}')"
}
log "peak memory"
for ((r = 1; r <= (smoke ? 1 : 3); r++)); do
  peak noop "$(winpath "$noop")"
  peak noop-imports "$(winpath "$noop_imports")"
  peak installer "$(winpath "$setup")" --extract --silent --path "$(winpath "$out")"
  peak floor "$(winpath "$floor")" "$(winpath "$out")"
done
rm -rf "$out"
wineserver -k 2>/dev/null || true

python3 bench/report.py "$raw" "$results" --smoke "$smoke" --runs "$runs"
log "results in $results"

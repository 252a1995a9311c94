#!/usr/bin/env bash
# Benchmarks of the installer under Wine, all measured in one run on this
# machine, and bench/RESULTS.md written from them:
#   1. extraction and verification of a three-package set (--extract --silent
#      --path) against the floor (the same container written by a program that
#      does one WriteFile per package and one read-back with compare) and
#      against the same packages in an uncompressed NSIS installer; output on
#      the disk and output in a RAM-backed directory (tmpfs)
#   2. start-up (--silent --version) against no-op programs
#   3. peak working set and peak private bytes while extracting, against a
#      no-op importing the same libraries
#   4. sizes (bare stub, overhead per package)
#   5. packing the set with tarn-pack against a plain copy of the same bytes
#      (the kit's stub and the payloads), packing the bare stub and makensis
#
#   bench/run.sh [--smoke] [--rounds N] [--seed S]
#
# Every round runs every measurement once, in an order shuffled from the seed
# and the round's number (bench/tools/order.py); one warm-up round comes
# first and is not counted. bench/report.py turns the rounds into paired
# ratios with bootstrap intervals.
#
# --smoke: tiny packages, one round, results in the build tree only (a check
# that the benchmarks still work, for CI; the figures mean nothing).
# Payloads are random, generated into build/win32/bench*/ and never committed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

smoke=0
rounds=15
seed=$(($(date +%s) % 1000000))
while [ $# -gt 0 ]; do
  case $1 in
    --smoke) smoke=1; rounds=1 ;;
    --rounds) rounds=$2; shift ;;
    --seed) seed=$2; shift ;;
    *) echo "usage: bench/run.sh [--smoke] [--rounds N] [--seed S]" >&2; exit 2 ;;
  esac
  shift
done

names=(Tarnvale-7.2.0_BETA1-r169020-MultiArch_amd64.msi Tarnvale-7.2.0_BETA1-r169020-MultiArch_arm64.msi common.cab)
archs=(amd64 arm64 all)
if [ $smoke -eq 1 ]; then
  sizes=(70001 90002 110003)
  work=$root/build/win32/bench-smoke
  results=$work/RESULTS.md
else
  sizes=(53932032 55402496 57083473)
  work=$root/build/win32/bench
  results=$root/bench/RESULTS.md
fi
build=$root/build/win32
raw=$work/raw.tsv
mkdir -p "$work"
: >"$raw"

log() { echo "bench: $*" >&2; }
# kind, label, round, value
record() { printf '%s\t%s\t%s\t%s\n' "$1" "$2" "$round" "$3" >>"$raw"; }
# Runs a command; sets wall_us, cpu_us and rc.
measure() {
  local stdout=$1 stderr=$2
  shift 2
  read -r wall_us cpu_us rc < <(python3 bench/tools/measure.py "$stdout" "$stderr" -- "$@")
}
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

log "building the stub, the stub kit and the benchmark programs"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target tarnstub-bare tarnstub-kit bench-floor-kit bench-noop bench-noop-imports \
  bench-noop-winsock bench-noop-winsock-linger bench-peakmem bench-hold-desktop >/dev/null

export WINEPREFIX=$work/wineprefix TARN_WINEPREFIX=$work/wineprefix
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
log "preparing the Wine prefix"
scripts/wine-run.sh "$build/bench/bench-noop.exe"
# One Wine server for the whole run: otherwise a run that starts after the
# previous server timed out is charged with starting a new one.
wineserver -p 2>/dev/null || true
# And one Wine desktop process, as Windows has one all the time.
wine "$build/bench/bench-hold-desktop.exe" &
# The RAM-backed output directory; the disk's one is in the build tree.
ram=$(mktemp -d /dev/shm/tarn-bench.XXXXXX)
trap 'wineserver -k 2>/dev/null || true; rm -rf "$ram"' EXIT
declare -A out=([disk]=$work/out [tmpfs]=$ram/out)

# ---- payloads and the programs measured -------------------------------------
payloads=$work/payloads
mkdir -p "$payloads"
total=0
pack_args=()
payload_files=()
for i in 0 1 2; do
  f=$payloads/${names[$i]}
  if [ ! -f "$f" ] || [ "$(stat -c %s "$f")" -ne "${sizes[$i]}" ]; then
    head -c "${sizes[$i]}" /dev/urandom >"$f"
  fi
  total=$((total + sizes[i]))
  pack_args+=(--package "${archs[$i]}:$f")
  payload_files+=("$f")
done
round=0
record payload total "$total"
record seed value "$seed"
record rounds value "$rounds"
# The packages are random bytes, not MSI packages to take the version resource's texts from.
identity=(--product-name "Tarnvale Benchmark" --product-version 7.2.0 --company Tarnvale)
pack_args+=("${identity[@]}")

setup=$work/setup.exe
floor=$work/floor.exe
scripts/tarn-pack -o "$setup" "${pack_args[@]}" >/dev/null
scripts/tarn-pack --stub-kit "$build/bench/floor-kit" -o "$floor" "${pack_args[@]}" >/dev/null
write_nsis_script() {
  local output=$1
  echo "OutFile \"$output\""
  cat <<'NSI'
Unicode true
SetCompress off
SilentInstall silent
RequestExecutionLevel user
InstallDir "$TEMP\bench-nsis"
Section
  SetOutPath "$INSTDIR"
NSI
  for f in "${payload_files[@]}"; do echo "  File \"$f\""; done
  echo 'SectionEnd'
}
nsis=$work/nsis-setup.exe
write_nsis_script "$nsis" >"$work/bench.nsi"
makensis -V1 "$work/bench.nsi" >/dev/null
# makensis's own timed runs write another file, so the extraction's input is never rewritten.
write_nsis_script "$work/nsis-pack.exe" >"$work/bench-pack.nsi"

noop=$build/bench/bench-noop.exe
noop_imports=$build/bench/bench-noop-imports.exe
noop_winsock=$build/bench/bench-noop-winsock.exe
noop_linger=$build/bench/bench-noop-winsock-linger.exe
stub=$build/tarnstub.exe

# ---- the measurements, one function per kind ----------------------------------
# Each timed measurement starts after the previous outputs were deleted and
# synced, so no program pays for the write-back of another's files.
settle() {
  rm -rf "${out[disk]}" "${out[tmpfs]}" "$work/pack-out"
  mkdir -p "$work/pack-out"
  sync
}

verify_out() {
  local dir=$1 i
  for i in 0 1 2; do
    cmp -s "${payload_files[$i]}" "$dir/${names[$i]}" || return 1
  done
}

extract() {
  local medium=$1 what=$2 dir=${out[$1]} cmd
  case $what in
    installer) cmd=("$setup" --extract --silent --path "$(winpath "$dir")") ;;
    floor) cmd=("$floor" "$(winpath "$dir")") ;;
    nsis) cmd=("$nsis" /S "/D=$(winpath "$dir")") ;;
  esac
  settle
  measure "$work/$what.stdout" "$work/$what.stderr" wine "${cmd[@]}"
  if [ "${rc:-1}" -ne 0 ] || ! verify_out "$dir"; then
    log "extraction by $what to $medium: exit code $rc, files $(verify_out "$dir" && echo complete || echo missing or wrong)"
    record "extract-$medium-failed" "$what" "$rc"
    return 0
  fi
  record "extract-$medium" "$what" "$wall_us"
  record "extract-$medium-cpu" "$what" "$cpu_us"
}

start() {
  local what=$1 cmd
  case $what in
    noop) cmd=("$noop") ;;
    noop-imports) cmd=("$noop_imports") ;;
    noop-winsock) cmd=("$noop_winsock") ;;
    stub) cmd=("$stub" --silent --version) ;;
    setup) cmd=("$setup" --silent --version) ;;
  esac
  # A start is short against the machine's jitter: the round's figure is the
  # middle one of three starts in a row.
  local walls=() cpus=() i
  for i in 1 2 3; do
    measure /dev/null /dev/null wine "${cmd[@]}"
    if [ "${rc:-1}" -ne 0 ]; then log "start-up of $what failed ($rc)"; record start-failed "$what" "$rc"; return 0; fi
    walls+=("$wall_us")
    cpus+=("$cpu_us")
  done
  record start "$what" "$(printf '%s\n' "${walls[@]}" | sort -n | sed -n 2p)"
  record start-cpu "$what" "$(printf '%s\n' "${cpus[@]}" | sort -n | sed -n 2p)"
}

# The memory measured: the same-import no-op (lingering, so its peak is seen),
# and the installer and the floor extracting to the disk.
memory_command() {
  case $1 in
    noop-winsock) cmd=("$noop_linger") ;;
    installer) cmd=("$setup" --extract --silent --path "$(winpath "${out[disk]}")") ;;
    floor) cmd=("$floor" "$(winpath "${out[disk]}")") ;;
  esac
}

# Records a failure of the view ($1: peak or peak-split) when there is no sound reading.
memory_reading_ok() {
  local view=$1 what=$2 line=$3 code=$4
  if [ "$code" -ne 0 ] || { [ "$what" != noop-winsock ] && ! verify_out "${out[disk]}"; }; then
    log "memory of $what ($view): no reading (${line:-no output})"
    record "$view-failed" "$what" 1
    return 1
  fi
}

# Windows's view: peak working set and peak private bytes, read by bench-peakmem.exe.
memory() {
  local what=$1 line cmd
  memory_command "$what"
  cmd[0]=$(winpath "${cmd[0]}")
  settle
  line=$(wine "$build/bench/bench-peakmem.exe" "${cmd[@]}" 2>/dev/null | tr -d '\r' | grep '^peak-working-set' || true)
  # peak-working-set N peak-private N exit C; an extraction that failed has no meaningful peak.
  read -r _ ws _ private _ code <<<"${line:-x 0 x 0 x 1}"
  memory_reading_ok peak "$what" "$line" "$code" || return 0
  record peak-ws "$what" "$ws"
  record peak-private "$what" "$private"
}

# Linux's view: anonymous memory of the process in and above the 32-bit
# address space (above it only an emulator's own memory lives).
memory-split() {
  local what=$1 line cmd
  memory_command "$what"
  settle
  line=$(python3 bench/tools/anonpeak.py -- wine "${cmd[@]}")
  read -r _ low _ high _ code <<<"${line:-x 0 x 0 x 1}"
  memory_reading_ok peak-split "$what" "$line" "$code" || return 0
  record peak-anon-32bit "$what" "$low"
  record peak-anon-above "$what" "$high"
}

pack() {
  local what=$1 dest=$work/pack-out
  settle
  case $what in
    tarn-pack) measure /dev/null "$work/pack.stderr" scripts/tarn-pack -o "$dest/setup.exe" "${pack_args[@]}" ;;
    bare) measure /dev/null "$work/pack.stderr" scripts/tarn-pack -o "$dest/bare.exe" "${identity[@]}" ;;
    copy) measure /dev/null "$work/pack.stderr" bash -c 'cat "$@" >"$0"' "$dest/copy.bin" "$build/stub-kit/stub.exe" \
      "${payload_files[@]}" ;;
    makensis) measure /dev/null "$work/pack.stderr" makensis -V1 "$work/bench-pack.nsi" ;;
  esac
  if [ "${rc:-1}" -ne 0 ]; then log "packing by $what failed ($rc)"; record pack-failed "$what" "$rc"; return 0; fi
  record pack "$what" "$wall_us"
  rm -f "$work/nsis-pack.exe"
}

tasks=(extract:disk:installer extract:disk:floor extract:disk:nsis
  extract:tmpfs:installer extract:tmpfs:floor extract:tmpfs:nsis
  start:noop start:noop-imports start:noop-winsock start:stub start:setup
  memory:noop-winsock memory:installer memory:floor
  memory-split:noop-winsock memory-split:installer memory-split:floor
  pack:tarn-pack pack:bare pack:copy pack:makensis)

run_round() {
  local task
  for task in $(python3 bench/tools/order.py "$seed" "$round" "${tasks[@]}"); do
    IFS=: read -r -a argv <<<"$task"
    "${argv[@]}"
  done
}

log "seed $seed; warm-up round"
round=0
raw_saved=$raw; raw=$work/warmup.tsv; : >"$raw"; run_round; raw=$raw_saved
for ((round = 1; round <= rounds; round++)); do
  log "round $round of $rounds"
  run_round
done
settle
rm -rf "$work/pack-out"

# ---- sizes ---------------------------------------------------------------------
round=0
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
wineserver -k 2>/dev/null || true

python3 bench/report.py "$raw" "$results" --smoke "$smoke"
log "results in $results"

#!/usr/bin/env bash
# Long fuzz runs, outside CI: every libFuzzer target (optimised build, still
# under ASan/UBSan) for a number of executions each (default 10 million),
# its corpus kept between runs in build/fuzz-long/corpus/<target> (seeded from
# fuzz/corpus). Writes the figures to fuzz/LONG-RUN.md after each target; a finding
# leaves its reproducer in build/fuzz-long/findings/ and fails the script.
#
#   scripts/fuzz-long.sh [-n RUNS] [-j JOBS] [TARGET...]
#
# JOBS targets run side by side (default 1); TARGETs default to all of them.
set -uo pipefail
cd "$(dirname "$0")/.."
runs=10000000
jobs=1
while getopts "n:j:" opt; do
  case $opt in
    n) runs=$OPTARG ;;
    j) jobs=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS] [-j JOBS] [TARGET...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

cmake --preset fuzz-long >/dev/null && cmake --build --preset fuzz-long >/dev/null || {
  echo "fuzz-long: build failed" >&2; exit 1; }
out=build/fuzz-long
mkdir -p "$out/corpus" "$out/findings" "$out/logs"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=($(cd "$out/fuzz" && ls fuzz-* | grep -v '\.'))

run_one() {
  local name=$1 corpus="$out/corpus/$1" log="$out/logs/$1.log" start end rc
  mkdir -p "$corpus"
  [ -d "fuzz/corpus/$name" ] && cp -rn "fuzz/corpus/$name/." "$corpus/"
  start=$(date +%s)
  "$out/fuzz/$name" -runs="$runs" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
                    -artifact_prefix="$out/findings/$name-" "$corpus" >"$log" 2>&1
  rc=$?
  end=$(date +%s)
  local execs cov
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
  local result=clean
  [ $rc -eq 0 ] || result="FINDING (exit $rc, see $log)"
  printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$name" "${execs:-?}" "$((end - start))" \
    "$(( ${execs:-0} / (end - start > 0 ? end - start : 1) ))" "$(ls "$corpus" | wc -l)" "${cov:-?}" "$result" \
    >"$out/logs/$name.row"
  echo "fuzz-long: $name: ${execs:-?} executions in $((end - start)) s: $result"
  return $rc
}

write_report() {
  {
    echo "# Last long fuzz run"
    echo
    echo "Written by \`scripts/fuzz-long.sh\` (not part of CI) after each target; last update $(date -u '+%Y-%m-%d %H:%M UTC'), on"
    echo "$(nproc) x $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(clang --version | head -n 1);"
    echo "optimised build with ASan and UBSan, $runs executions asked of each target, $jobs at a time."
    echo
    echo "| Target | Executions | Seconds | Per second | Corpus files | Coverage | Result |"
    echo "|---|---|---|---|---|---|---|"
    for name in "${targets[@]}"; do
      if [ -f "$out/logs/$name.row" ]; then cat "$out/logs/$name.row"; else echo "| $name | | | | | | not finished in this run |"; fi
    done
  } >fuzz/LONG-RUN.md
}

for name in "${targets[@]}"; do rm -f "$out/logs/$name.row"; done
failed=0
running=0
for name in "${targets[@]}"; do
  run_one "$name" &
  running=$((running + 1))
  if [ $running -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
    write_report
  fi
done
while [ $running -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
  write_report
done
exit $failed

#!/usr/bin/env bash
# Quick check that every benchmark still runs (tiny packages, one run each):
# fails when a benchmark program cannot be built or run, or when a program
# whose output is checked did not write the packages byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
bash bench/run.sh --smoke
raw=build/win32/bench-smoke/raw.tsv
status=0
for figure in "extract-disk installer" "extract-disk floor" "extract-disk nsis" "extract-tmpfs installer" \
              "extract-tmpfs floor" "extract-tmpfs nsis" "start noop" "start noop-winsock" "peak-anon-32bit installer" "peak-anon-32bit noop-winsock" "start stub" "start setup" \
              "size stub" "peak-private installer" "peak-private noop-winsock" "peak-ws installer" \
              "pack tarn-pack" "pack bare" "pack copy" "pack makensis"; do
  read -r kind label <<<"$figure"
  if ! awk -F'\t' -v k="$kind" -v l="$label" '$1 == k && $2 == l { found = 1 } END { exit !found }' "$raw"; then
    echo "bench smoke: no figure '$figure' (see build/win32/bench-smoke/)" >&2
    status=1
  fi
done
[ $status -eq 0 ] && echo "bench smoke: every benchmark ran"
exit $status

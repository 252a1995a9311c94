#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a short period (default 30 s)
# starting from its seed corpus; any crash, leak or sanitizer report fails.
# The corpus is copied so a run never changes the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for exe in build/fuzz/fuzz/fuzz-*; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe")
  mkdir -p "$work/$name"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/$name/"
  echo "fuzz: $name for ${seconds}s"
  "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
         -artifact_prefix="$work/" "$work/$name" >"$work/$name.log" 2>&1 || {
    tail -n 60 "$work/$name.log"; echo "fuzz: $name FAILED"; exit 1; }
  grep -E '^Done|#[0-9]+.*DONE' "$work/$name.log" | tail -n 1 || true
done

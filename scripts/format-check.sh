#!/usr/bin/env bash
# Fails when any C/C++ source of the project is not laid out by .clang-format.
# The layout is what clang-format 14 makes of it (other versions lay some
# constructs out differently), so that version is used by name.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=clang-format-14
if ! command -v "$clang_format" >/dev/null; then
  echo "format-check: $clang_format not found; scripts/setup.sh installs it" >&2
  exit 1
fi
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -v '^build/' || true)
[ ${#files[@]} -eq 0 ] && exit 0
"$clang_format" --dry-run -Werror "${files[@]}"

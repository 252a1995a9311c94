#!/usr/bin/env bash
# Fails when a product library or executable carries test seams or test hooks:
# any symbol naming a seam table or the seam reset ("Seams"), or a runtime
# helper made for tests (rt...Test...). Usage: check-no-seams.sh <nm> <file>...
set -euo pipefail
nm=$1
shift
# Symbol names only (the last field), so object file names do not count.
symbols=$("$nm" "$@" | awk 'NF >= 2 { print $NF }')
seams=$(grep -E '[Ss]eams' <<<"$symbols" || true)
hooks=$(grep -E 'rt[A-Za-z]*Test' <<<"$symbols" || true)
if [ -n "$seams" ]; then
  echo "seam symbols in a product build:" >&2
  echo "$seams" >&2
fi
if [ -n "$hooks" ]; then
  echo "test hook symbols in a product build:" >&2
  echo "$hooks" >&2
fi
if [ -n "$seams$hooks" ]; then
  exit 1
fi
echo "no seam or test hook symbols in: $*"

#!/usr/bin/env bash
# Fails when a product library or executable carries test seams: any symbol
# naming a seam table or the seam reset. Usage: check-no-seams.sh <nm> <file>...
set -euo pipefail
nm=$1
shift
# Symbol names only (the last field), so object file names do not count.
found=$("$nm" "$@" | awk 'NF >= 2 { print $NF }' | grep -E '[Ss]eams' || true)
if [ -n "$found" ]; then
  echo "seam symbols in a product build:" >&2
  echo "$found" >&2
  exit 1
fi
echo "no seam symbols in: $*"

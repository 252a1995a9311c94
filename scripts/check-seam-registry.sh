#!/usr/bin/env bash
# Checks the seam registries against the test libraries: every seam table a
# test library defines is registered (so the reset empties it) and every
# registered table of this build is defined. The product's libraries are
# checked for carrying none by check-no-seams.sh.
# Usage: check-seam-registry.sh <nm> <registry header>... -- <test library>...
set -euo pipefail
nm=$1
shift
headers=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do headers+=("$1"); shift; done
shift
# The portable and Windows lists (this check runs in the Windows build).
registered=$(awk '/define [A-Z_]*_TABLES_(PORTABLE|WIN)\(X\)/ { on = 1 } on { print } on && !/\\$/ { on = 0 }' \
               "${headers[@]}" | grep -oE 'X\([A-Za-z_]+, *g_[A-Za-z]+\)' | sed -E 's/.*(g_[A-Za-z]+)\)/\1/' | sort -u)
# Tables the libraries define (data or bss), without the leading underscore of i686 symbols.
defined=$("$nm" --defined-only "$@" 2>/dev/null | awk '$2 ~ /^[BDbd]$/ { print $3 }' | sed 's/^_//' |
            grep -E '^g_[A-Za-z]*Seams[A-Za-z]*$' | sort -u)
status=0
unregistered=$(comm -13 <(echo "$registered") <(echo "$defined"))
missing=$(comm -23 <(echo "$registered") <(echo "$defined"))
if [ -n "$unregistered" ]; then
  echo "seam tables outside the registry (no reset empties them): $unregistered" >&2
  status=1
fi
if [ -n "$missing" ]; then
  echo "registered seam tables that no library defines: $missing" >&2
  status=1
fi
[ $status -eq 0 ] && echo "$(wc -l <<<"$registered") registered seam tables, all defined, none unregistered"
exit $status

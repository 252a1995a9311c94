#!/usr/bin/env bash
# check-imports.sh [--exactly] OBJDUMP EXE ALLOWED...: fails when EXE imports a
# DLL that is not in the allowed list (names compared case-insensitively,
# ".dll" implied); with --exactly also when it does not import every one of them.
set -euo pipefail
exactly=0
if [ "${1:-}" = "--exactly" ]; then exactly=1; shift; fi
objdump=$1 exe=$2; shift 2
allowed=" $(printf '%s ' "$@" | tr 'A-Z' 'a-z') "
mapfile -t dlls < <("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sed 's/\.dll$//')
[ ${#dlls[@]} -gt 0 ] || { echo "no imports found in $exe"; exit 1; }
bad=0
for d in "${dlls[@]}"; do
  case "$allowed" in *" $d "*) echo "import ok: $d.dll";; *) echo "FORBIDDEN import: $d.dll"; bad=1;; esac
done
if [ $exactly = 1 ]; then
  imported=" ${dlls[*]} "
  for d in $allowed; do
    case "$imported" in *" $d "*) ;; *) echo "MISSING import: $d.dll"; bad=1;; esac
  done
fi
exit $bad

#!/usr/bin/env bash
# Runs the finished installer (no payload) in silent mode under Wine and checks
# exit codes and the exact bytes on standard output and standard error.
# Usage: stub-runs.sh <wine-run.sh> <tarnstub.exe>
set -uo pipefail
wine_run=$1 exe=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

# expect <name> <exit code> <stdout> <stderr> -- <arguments>...   (texts without CR; \n becomes CR LF)
expect() {
  local name=$1 want_rc=$2 want_out=$3 want_err=$4
  shift 5
  "$wine_run" "$exe" "$@" >"$tmp/out" 2>"$tmp/err"
  local rc=$?
  printf '%s' "$want_out" | sed 's/$/\r/' | head -c -1 >"$tmp/want-out"
  printf '%s' "$want_err" | sed 's/$/\r/' | head -c -1 >"$tmp/want-err"
  [ -n "$want_out" ] && printf '\n' >>"$tmp/want-out"
  [ -n "$want_err" ] && printf '\n' >>"$tmp/want-err"
  if [ "$rc" != "$want_rc" ] || ! cmp -s "$tmp/out" "$tmp/want-out" || ! cmp -s "$tmp/err" "$tmp/want-err"; then
    echo "FAIL $name: exit code $rc (want $want_rc)"
    diff <(od -c "$tmp/want-out") <(od -c "$tmp/out") | head -20
    diff <(od -c "$tmp/want-err") <(od -c "$tmp/err") | head -20
    failures=$((failures + 1))
  else
    echo "ok   $name"
  fi
}

name=$(basename "$exe")
hint=''
expect "version" 0 $'Version: 7.2.0r169020\n' '' -- --silent --version
expect "unknown option" 2 '' "$name: error: Unknown option: '--bogus'"$'\n' -- --silent --bogus
expect "stray argument" 2 '' "$name: error: Invalid parameter: /qn"$'\n' -- -s /qn
expect "property name with a space" 2 '' \
  "$name: error: The first argument to --msi-prop must not contain spaces: A B"$'\n' -- -s --msi-prop "A B" 1
expect "property without value" 2 '' "$name: error: --msi-prop takes two arguments, the 2nd is missing"$'\n' \
  -- --silent --msiparams X=1 --msi-prop P
expect "quoted arguments reach the parser whole" 0 '' '' -- --silent --msiparams 'INSTALLDIR="C:\Program Files\T"' Y=2
expect "empty container" 0 $'Files were extracted to: C:\\tarn-empty-container\n' '' -- --silent --extract --path 'C:/tarn-empty-container'
help_first=$("$wine_run" "$exe" --silent --help 2>/dev/null | head -1 | tr -d '\r')
if [ "$help_first" = "-- Tarnvale Installer v7.2.0r169020 --" ]; then echo "ok   help"; else
  echo "FAIL help: first line '$help_first'"; failures=$((failures + 1)); fi
[ "$failures" -eq 0 ]

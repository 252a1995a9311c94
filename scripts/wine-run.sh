#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in the build's own prefix.
#
# The prefix lives in the current build tree (TARN_WINEPREFIX, or ./wineprefix
# relative to the working directory ctest uses, which is the build tree). It
# is created on first use, under a lock so parallel tests wait for it, and
# marked ready only once its creation succeeded; a failed creation is retried.
#
# Wine's client/server link now and then breaks ("wine client error:...:
# recvmsg: Connection reset by peer") and takes the program down with it. A
# run that died that way before it reported any test result is run once more,
# and the log (stderr) says so. A run that reported a result is never
# repeated, so a failing test cannot pass by being retried.
set -euo pipefail
. "$(dirname "$0")/i386-mode.sh"

prefix_attempts=3

prefix=${TARN_WINEPREFIX:-}
if [ -z "$prefix" ]; then
  dir=$PWD
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ -f "$dir/CMakeCache.txt" ] || dir=$PWD
  prefix=$dir/wineprefix
fi
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

ready_mark=$prefix/.tarn-ready
# Put into a prefix directory this script made, until the prefix is ready:
# only a prefix carrying it is removed before the next attempt, so a directory
# that TARN_WINEPREFIX names and that existed before is never removed.
creating_mark=$prefix/.tarn-creating

# One attempt at creating the prefix; its output goes to $1.
try_create_prefix() {
  local log=$1
  if [ -f "$creating_mark" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$prefix"
  fi
  if [ ! -e "$prefix" ]; then
    mkdir -p "$prefix"
    touch "$creating_mark"
  fi
  wineboot -i >"$log" 2>&1 || return 1
  wineserver -w >>"$log" 2>&1 || return 1
  # The registry is written when the server ends: without it the prefix is unusable.
  [ -f "$prefix/system.reg" ] || { echo "no system.reg after wineboot" >>"$log"; return 1; }
  rm -f "$creating_mark"
  touch "$ready_mark"
}

create_prefix() {
  local log attempt
  log=$(mktemp)
  for ((attempt = 1; attempt <= prefix_attempts; attempt++)); do
    if try_create_prefix "$log"; then
      rm -f "$log"
      return 0
    fi
    echo "wine-run: creating the Wine prefix $prefix failed (attempt $attempt of $prefix_attempts):" >&2
    sed 's/^/  /' "$log" >&2
  done
  rm -f "$log"
  echo "wine-run: could not create the Wine prefix $prefix" >&2
  echo "wine-run: $(i386_mode_line)" >&2
  return 1
}

if [ ! -f "$ready_mark" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    [ -f "$ready_mark" ] || create_prefix
  ) 9>"$prefix.lock"
fi

# The build's shared prefix runs one test program after another, two at a
# time. A wine server that ends the moment its last program ends races with
# the next program connecting to it, which can then hang at its start; one
# that stays 30 s after its last program closes that window. (Prefixes named
# by TARN_WINEPREFIX belong to tests that wait for their server to end.)
if [ -z "${TARN_WINEPREFIX:-}" ]; then
  wineserver -p30 </dev/null >/dev/null 2>&1 || true
fi

# What Wine prints when the link between a program and the wine server fails.
wine_link_errors='wine client error:|the wine server failed to run|could not exec wineserver'
# Text that shows the program reported a test result (GoogleTest's verdicts
# and failure messages): after any of it a run is never repeated. Matched
# anywhere in a line, as Windows programs end their lines with "\r\n".
test_result_lines='\[ +(OK|FAILED|PASSED|SKIPPED) +\]|: Failure|\): error: '

# Runs wine once with its stdout passed through and copied to $out; its
# stderr goes to $err and is passed on when wine has ended (the wine server
# that wine may start keeps that stream open long after, so a pipe would hold
# the run until the server exits). Its exit status becomes $status.
run_wine() {
  set +e
  wine "$@" 2>"$err" | tee "$out"
  status=${PIPESTATUS[0]}
  set -e
  cat "$err" >&2
}

# True when the run failed of a broken Wine link before it reported a result.
died_of_wine_link() {
  [ "$status" -ne 0 ] &&
    grep -Eq "$wine_link_errors" "$out" "$err" &&
    ! grep -Eq "$test_result_lines" "$out" "$err"
}

out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
status=0
run_wine "$@"
# A loader the kernel cannot start: say how 32-bit code runs here.
if [ "$status" -ne 0 ] && grep -q "Exec format error" "$err"; then
  echo "wine-run: $(i386_mode_line)" >&2
fi
if died_of_wine_link; then
  echo "wine-run: $1 died of a Wine client/server error before reporting any result; running it once more" >&2
  echo "wine-run: $(i386_mode_line)" >&2
  run_wine "$@"
fi
exit "$status"

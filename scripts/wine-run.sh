#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine in the build's own prefix.
# The prefix lives in the current build tree (TARN_WINEPREFIX, or ./wineprefix
# relative to the working directory ctest uses, which is the build tree).
# It is created on first use, under a lock so parallel tests wait for it.
set -euo pipefail
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
unset DISPLAY_WINE_IGNORED 2>/dev/null || true
if [ ! -f "$prefix/.tarn-ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -f "$prefix/.tarn-ready" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      touch "$prefix/.tarn-ready"
    fi
  ) 9>"$prefix.lock"
fi
exec wine "$@"

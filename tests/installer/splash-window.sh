#!/usr/bin/env bash
# The splash screen on a virtual display of 1024 x 768: runs the splash tests
# in a Wine prefix of their own; when the first test has drawn its frame (it
# writes the dot's angle into "ready"), takes a screenshot of the whole screen
# and checks it pixel by pixel, then lets the tests go on ("done").
# Usage: splash-window.sh <wine-run.sh> <stub-splash-tests.exe> <check-splash-shot.py> [test arguments...]
set -uo pipefail
wine_run=$1 exe=$2 checker=$3
shift 3
if [ -z "${TARN_SPLASH_XVFB:-}" ]; then
  TARN_SPLASH_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$wine_run" "$exe" "$checker" "$@"
fi
# A prefix of its own: a Wine desktop started by a test without display would
# keep the windows of this one from showing.
export TARN_WINEPREFIX=${TARN_WINEPREFIX:-$(dirname "$exe")/wineprefix-splash}
# Unmanaged windows: without a window manager on the display, Wine waits two
# seconds for one at every destruction of a managed window.
if [ ! -f "$TARN_WINEPREFIX/.tarn-unmanaged" ]; then
  "$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
    touch "$TARN_WINEPREFIX/.tarn-unmanaged"
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export TARN_SPLASH_SHOT_DIR="Z:$tmp"

"$wine_run" "$exe" "$@" >"$tmp/log" 2>&1 &
tests=$!
# The prefix's first start may take a while.
for _ in $(seq 1 1800); do
  [ -f "$tmp/ready" ] && break
  kill -0 "$tests" 2>/dev/null || break
  sleep 0.1
done
shot=missing
if [ -f "$tmp/ready" ]; then
  angle=$(tr -dc '0-9' <"$tmp/ready")
  # The frame reaches the X server shortly after it is drawn: a few tries.
  for _ in $(seq 1 15); do
    if import -window root "$tmp/shot.png" 2>"$tmp/check" &&
       python3 "$checker" "$tmp/shot.png" "$angle" >"$tmp/check" 2>&1; then
      shot=ok
      break
    fi
    shot=wrong
    sleep 0.2
  done
  cp "$tmp/shot.png" splash-window-shot.png 2>/dev/null || true
  touch "$tmp/done"
fi
wait "$tests"
rc=$?

cat "$tmp/log"
status=0
case $shot in
  ok) cat "$tmp/check" ;;
  missing) echo "FAIL: the tests drew no frame to take a screenshot of"; status=1 ;;
  wrong) echo "FAIL: screenshot (kept as splash-window-shot.png):"; cat "$tmp/check"; status=1 ;;
esac
[ "$rc" -eq 0 ] || { echo "FAIL: the splash tests exited with $rc"; status=1; }
exit $status

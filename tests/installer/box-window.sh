#!/usr/bin/env bash
# The real message box of the finished installer, on a virtual display: starts
# the installer with an unknown option, finds the box by its caption, checks
# its text, dismisses it with the Return key and checks exit code 2.
# Usage: box-window.sh <wine-run.sh> <tarnstub.exe> <box-reader.exe>
set -uo pipefail
wine_run=$1 exe=$2 reader=$3
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
# A prefix of its own: a Wine desktop started by a test without display would
# keep the windows of this one from showing.
export TARN_WINEPREFIX=${TARN_WINEPREFIX:-$(dirname "$exe")/wineprefix-gui}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$wine_run" "$exe" --bogus --silent &
installer=$!
"$wine_run" "$reader" "Tarnvale Installer" 60 >"$tmp/text"
found=$?
# Dismiss with a key press on the box.
window=$(timeout 20 xdotool search --sync --limit 1 --name '^Tarnvale Installer$' 2>/dev/null | head -1)
[ -n "$window" ] && xdotool windowactivate --sync "$window" key --clearmodifiers Return 2>/dev/null ||
  { [ -n "$window" ] && xdotool key --window "$window" Return; }
for _ in $(seq 1 100); do kill -0 "$installer" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$installer" 2>/dev/null; then
  echo "FAIL: the box did not close on Return"
  kill "$installer"
  exit 1
fi
wait "$installer"
rc=$?

want=$'Unknown option "--bogus"\nPlease refer to the command line help by specifying "-?"\nto get more information.'
status=0
[ "$found" -eq 0 ] || { echo "FAIL: no box captioned 'Tarnvale Installer'"; status=1; }
if [ "$(tr -d "\r" <"$tmp/text")" != "$want" ]; then
  echo "FAIL: box text:"; od -c "$tmp/text" | head -20; status=1
fi
[ "$rc" -eq 2 ] || { echo "FAIL: exit code $rc, want 2"; status=1; }
[ "$status" -eq 0 ] && echo "ok: box found, text checked, closed with Return, exit code 2"
exit $status

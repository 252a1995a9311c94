#!/usr/bin/env bash
# The demo: installs what the machine lacks, builds the demo installer
# (tarn-demo-setup.exe: the demo MSI packages of tests/installer/msi packed
# by tarn-pack), runs it silently under Wine in a fresh prefix of its own and
# shows what an administrator would check: the exit code, the demo product's
# installed files and that the extraction directory is gone again.
#
# With --interactive it shows the splash screen instead: the installer
# extracts its packages interactively on a display (a virtual one of
# 1024 x 768 when DISPLAY is unset), the screen is grabbed while the splash
# window is up (build/win32/demo-splash-shot.png; the small demo payload keeps
# it up for a moment only) and the closing message box is dismissed with
# Return on a virtual display.
#
# Usage: scripts/demo.sh [installer options...]   (default: --silent)
#        scripts/demo.sh --interactive
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win32
prefix=$build/wineprefix-demo
cd "$root"

if [ "${1:-}" = --interactive ] && [ -z "${DISPLAY:-}" ]; then
  TARN_DEMO_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

bash scripts/setup.sh
echo "== building the demo installer"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target tarn-demo
python3 scripts/tarn-pack --list "$build/tarn-demo-setup.exe"

echo "== a fresh Wine prefix: $prefix"
if [ -d "$prefix" ]; then
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix" "$prefix.lock"
fi
export TARN_WINEPREFIX=$prefix
scripts/wine-run.sh cmd /c ver >/dev/null 2>&1 || true

temp_listing() { find "$prefix"/drive_c/users/*/Temp -mindepth 1 -maxdepth 1 2>/dev/null | sort; }
before=$(temp_listing)

# The demo's top-level X windows with this caption: "<id> <width>x<height>" per line.
demo_windows() {
  xwininfo -root -children 2>/dev/null |
    sed -n 's/^ *\(0x[0-9a-f]*\) "Tarnvale Installer": ("tarn-demo-setup.exe".* \([0-9]*x[0-9]*\)+.*/\1 \2/p'
}

# Whether the centred 800 x 200 area of the screenshot $1 is more than black.
is_painted() {
  local size mean
  size=$(identify -format '%w %h' "$1")
  set -- "$1" $size
  mean=$(convert "$1" -crop "800x200+$((($2 - 800) / 2))+$((($3 - 200) / 2))" +repage -format '%[fx:mean]' info:)
  awk -v m="$mean" 'BEGIN { exit !(m > 0.1) }'
}

# Runs the installer in the background and grabs the screen for as long as
# the splash window (the picture's 800 x 200) shows; then dismisses the
# closing box if the display is a virtual one.
run_interactive() {
  local shot=$build/demo-splash-shot.png grabbed=0 box status
  rm -f "$shot" "$shot.tmp.png"
  scripts/wine-run.sh "$build/tarn-demo-setup.exe" "$@" &
  local pid=$!
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$grabbed" -eq 0 ] && demo_windows | grep -q ' 800x200$'; then
      # Kept only once the window shows its picture: a fresh window is black.
      if import -window root "$shot.tmp.png" 2>/dev/null && is_painted "$shot.tmp.png"; then
        mv -f "$shot.tmp.png" "$shot"
        grabbed=1
      fi
      continue
    fi
    box=$(demo_windows | grep -v ' 800x200$' | head -n 1 | cut -d' ' -f1)
    if [ -n "$box" ] && [ -n "${TARN_DEMO_XVFB:-}" ]; then
      sleep 1
      xdotool key --window "$box" Return 2>/dev/null || true
    fi
    sleep 0.02
  done
  wait "$pid"
  status=$?
  if [ "$grabbed" -eq 1 ]; then
    echo "the splash screen, grabbed: $shot"
  else
    rm -f "$shot.tmp.png"
    echo "the splash window was gone before a grab showed its picture"
  fi
  return "$status"
}

if [ "${1:-}" = --interactive ]; then
  shift
  extract_dir='C:\tarn-demo-extract'
  set -- --extract --path "$extract_dir" "$@"
  echo "== running on display $DISPLAY: tarn-demo-setup.exe $*"
  set +e
  run_interactive "$@"
  rc=$?
  set -e
else
  [ $# -gt 0 ] || set -- --silent
  echo "== running: tarn-demo-setup.exe $*"
  set +e
  scripts/wine-run.sh "$build/tarn-demo-setup.exe" "$@"
  rc=$?
  set -e
fi
WINEPREFIX=$prefix wineserver -w
echo "exit code: $rc"

if [ -n "${extract_dir:-}" ]; then
  # An interactive run only extracts: its packages stay where it put them.
  echo "== extracted packages ($extract_dir)"
  find "$prefix/drive_c/${extract_dir#C:\\}" -type f -printf '%f  (%s bytes)\n' 2>/dev/null | sort || true
fi

echo "== installed files of the demo product (C:\\Program Files*\\TarnvaleDemo)"
found=0
for dir in "$prefix/drive_c/Program Files/TarnvaleDemo" "$prefix/drive_c/Program Files (x86)/TarnvaleDemo"; do
  if [ -d "$dir" ]; then
    find "$dir" -type f -printf '%p  (%s bytes)\n'
    found=1
  fi
done
[ "$found" -eq 1 ] || echo "none"

echo "== the extraction directory"
left=$(comm -13 <(printf '%s\n' "$before") <(temp_listing) | sed '/^$/d')
if [ -z "$left" ]; then
  echo "gone: nothing new under C:\\users\\*\\Temp"
else
  echo "left behind:"
  printf '  %s\n' "$left"
fi
exit "$rc"

#!/usr/bin/env bash
# The demo: installs what the machine lacks, builds the demo installer
# (tarn-demo-setup.exe: the demo MSI packages of tests/installer/msi packed
# by tarn-pack), runs it silently under Wine in a fresh prefix of its own and
# shows what an administrator would check: the exit code, the demo product's
# installed files and that the extraction directory is gone again.
#
# Usage: scripts/demo.sh [installer options...]   (default: --silent)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win32
prefix=$build/wineprefix-demo
cd "$root"

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

[ $# -gt 0 ] || set -- --silent
echo "== running: tarn-demo-setup.exe $*"
set +e
scripts/wine-run.sh "$build/tarn-demo-setup.exe" "$@"
rc=$?
set -e
WINEPREFIX=$prefix wineserver -w
echo "exit code: $rc"

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

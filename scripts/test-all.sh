#!/usr/bin/env bash
# Installs what is missing, configures and builds the host and win32 flavours,
# and runs every test of both in one ctest run (host tests natively under
# ASan/UBSan, Windows tests under Wine), ending with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
for flavour in host win32; do
  cmake --preset "$flavour" >/dev/null
  cmake --build --preset "$flavour"
done
# One ctest run over both build trees gives one summary for everything.
mkdir -p build/all
printf 'subdirs("%s" "%s")\n' "$PWD/build/host" "$PWD/build/win32" > build/all/CTestTestfile.cmake
ctest --test-dir build/all --output-on-failure -j 2 --timeout 600

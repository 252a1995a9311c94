#!/usr/bin/env bash
# Installs what is missing, configures and builds the host and win32 flavours,
# and runs every test of both in one ctest run (host tests natively under
# ASan/UBSan, Windows tests under Wine), ending with ctest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# A full run keeps about 17 GiB in build/, most of it the Wine prefixes of the
# suites (each one a complete Windows tree). Say so now rather than fail
# half-way with "No space left on device".
need_gib=20
have_kib=$(df -Pk . | awk 'NR == 2 { print $4 }')
built_kib=0
[[ -d build ]] && built_kib=$(du -skx build | cut -f1)
if ((have_kib + built_kib < need_gib * 1024 * 1024)); then
  echo "test-all: a full run needs about ${need_gib} GiB in $PWD/build;" \
    "$((have_kib / 1024 / 1024)) GiB free and $((built_kib / 1024 / 1024)) GiB already built" >&2
  exit 1
fi

for flavour in host win32; do
  cmake --preset "$flavour" >/dev/null
  cmake --build --preset "$flavour"
done
# One ctest run over both build trees gives one summary for everything.
mkdir -p build/all
printf 'subdirs("%s" "%s")\n' "$PWD/build/host" "$PWD/build/win32" > build/all/CTestTestfile.cmake
ctest --test-dir build/all --output-on-failure -j 2 --timeout 600

#!/usr/bin/env bash
# Tests the one line scripts/i386-mode.sh prints about how 32-bit code runs
# (and its exit status), on machines played with stand-ins: a fake i386 Wine
# loader that starts or not, a directory in place of binfmt_misc and a fake
# QEMU that answers with its version.
set -euo pipefail
mode=$(cd "$(dirname "$0")/../.." && pwd)/scripts/i386-mode.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

binfmt=$work/binfmt
loader=$work/wine
qemu=$work/qemu-i386-static
printf '#!/bin/sh\necho "qemu-i386 version 10.0.2 (Debian 1:10.0.2+ds-1~bpo12+1)"\n' >"$qemu"
chmod +x "$qemu"

. "$(dirname "$0")/cases.sh"

# machine LOADER ENTRY STATUS: LOADER "starts", "refused" or "missing"; ENTRY
# "none" or the interpreter of an enabled entry qemu-i386; STATUS binfmt_misc's
# status ("enabled" or "disabled").
machine() {
  rm -rf "$binfmt" "$loader"
  case $1 in
    starts) printf '#!/bin/sh\nexit 0\n' >"$loader" ;;
    refused) printf '#!/bin/sh\necho "Exec format error" >&2\nexit 126\n' >"$loader" ;;
  esac
  [ ! -e "$loader" ] || chmod +x "$loader"
  mkdir -p "$binfmt"
  touch "$binfmt/register"
  echo "$3" >"$binfmt/status"
  if [ "$2" != none ]; then
    printf 'enabled\ninterpreter %s\nflags: F\noffset 0\n' "$2" >"$binfmt/qemu-i386"
  fi
}

# NAME | LOADER | ENTRY | STATUS | EXIT | LINE
while IFS='|' read -r name loader_kind entry status want_exit want_line; do
  [ -n "$name" ] || continue
  case_start "$name"
  machine "$loader_kind" "$entry" "$status"
  set +e
  line=$(TARN_WINE32_LOADER=$loader TARN_BINFMT_DIR=$binfmt bash "$mode" 2>"$work/err")
  got_exit=$?
  set -e
  check "line: $line" [ "$line" = "$want_line" ]
  check "exit status $got_exit, expected $want_exit" [ "$got_exit" -eq "$want_exit" ]
  check "stderr: $(cat "$work/err")" [ ! -s "$work/err" ]
  case_end
done <<EOF_TABLE
a machine whose kernel runs 32-bit code|starts|none|enabled|0|32-bit code runs natively
a native machine with an entry while binfmt_misc is switched off|starts|$qemu|disabled|0|32-bit code runs natively
a machine that emulates 32-bit code|starts|$qemu|enabled|0|32-bit code runs emulated (QEMU 10.0.2 user mode, binfmt_misc entry qemu-i386)
a machine without the i386 Wine loader|missing|none|enabled|1|32-bit code does not run: $loader is missing (run scripts/setup.sh)
a kernel that refuses 32-bit programs, no entry|refused|none|enabled|1|32-bit code does not run: the kernel refuses 32-bit programs and no emulator is registered (run scripts/setup.sh)
a kernel that refuses them, its entry switched off with binfmt_misc|refused|$qemu|disabled|1|32-bit code does not run: the kernel refuses 32-bit programs and no emulator is registered (run scripts/setup.sh)
an entry whose interpreter cannot start the loader|refused|$work/gone/qemu-i386-static|enabled|1|32-bit code does not run: the binfmt_misc entry qemu-i386 ($work/gone/qemu-i386-static) cannot start $loader (run scripts/setup.sh)
EOF_TABLE

cases_report i386-mode

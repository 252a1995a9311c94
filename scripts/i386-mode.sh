#!/usr/bin/env bash
# Says in one line how this machine runs 32-bit x86 Linux programs, among
# them the i386 Wine loader that every 32-bit Windows program needs:
#   "32-bit code runs natively"
#   "32-bit code runs emulated (QEMU 10.0.2 user mode, binfmt_misc entry qemu-i386)"
#   "32-bit code does not run: ..."
# Exit status 0 when it runs either way, 1 when it does not.
#
# Sourced, it only defines the functions (scripts/setup.sh and the Wine
# wrapper use them). The paths can be changed through the environment, which
# the tests of setup's decisions use to play a machine with stand-ins.

i386_wine_loader=${TARN_WINE32_LOADER:-/usr/lib/wine/wine}
i386_binfmt_dir=${TARN_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}
i386_binfmt_entry=$i386_binfmt_dir/qemu-i386

# True when the i386 Wine loader starts (natively or through an emulator).
i386_loader_runs() {
  "$i386_wine_loader" --version >/dev/null 2>&1
}

# True when binfmt_misc as a whole is switched on (its entries are used).
i386_binfmt_enabled() {
  [ "$(cat "$i386_binfmt_dir/status" 2>/dev/null)" = enabled ]
}

# True when the kernel hands i386 programs to the qemu-i386 entry: binfmt_misc
# is consulted before the kernel's own ELF loader, so an enabled entry
# emulates even where the kernel could run the program itself.
i386_entry_enabled() {
  [ -f "$i386_binfmt_entry" ] &&
    [ "$(head -n 1 "$i386_binfmt_entry")" = enabled ] &&
    i386_binfmt_enabled
}

# The interpreter the qemu-i386 entry names ("" when there is no entry).
i386_entry_interpreter() {
  sed -n 's/^interpreter //p' "$i386_binfmt_entry" 2>/dev/null || true
}

# "10.0.2" for the emulator binary $1 ("" when it does not answer).
i386_qemu_version() {
  "$1" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9][0-9.]*\).*/\1/p'
}

# The one line described above.
i386_mode_line() {
  local interpreter
  if i386_entry_enabled; then
    interpreter=$(i386_entry_interpreter)
    if i386_loader_runs; then
      echo "32-bit code runs emulated (QEMU $(i386_qemu_version "$interpreter") user mode, binfmt_misc entry qemu-i386)"
    else
      echo "32-bit code does not run: the binfmt_misc entry qemu-i386 ($interpreter) cannot start $i386_wine_loader (run scripts/setup.sh)"
    fi
  elif i386_loader_runs; then
    echo "32-bit code runs natively"
  elif [ ! -e "$i386_wine_loader" ]; then
    echo "32-bit code does not run: $i386_wine_loader is missing (run scripts/setup.sh)"
  else
    echo "32-bit code does not run: the kernel refuses 32-bit programs and no emulator is registered (run scripts/setup.sh)"
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  line=$(i386_mode_line)
  echo "$line"
  case $line in *"does not run"*) exit 1 ;; esac
fi

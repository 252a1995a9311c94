#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the project:
# the mingw-w64 i686 cross compiler, 32-bit Wine, the MSI tools, a virtual
# display for window tests, the font the demo's splash picture is drawn with,
# GoogleTest sources, CMake/Ninja, clang with libFuzzer, clang-format 14 (the
# layout check is a test, and .clang-format is written for that version's
# output), and the tools for signing, inspecting and comparing Windows
# executables (openssl for test certificates), for benchmarks and for checking
# the kit's Debian package (lintian).
#
# Then makes sure 32-bit programs run, since the i386 Wine loader is one. On a
# kernel without 32-bit emulation it installs QEMU's user-mode emulator from
# bookworm-backports (bookworm's own QEMU 7.2 takes about 50 s per process)
# and registers it with binfmt_misc for i386 programs, with the F flag so the
# kernel opens the emulator once and it works in any mount namespace, and
# switches binfmt_misc on where it is switched off. A
# machine that runs 32-bit code natively is left as it is.
#
# Idempotent and quick on a second run. The places it acts on can be changed
# through the environment (TARN_SETUP_*, and TARN_WINE32_LOADER and
# TARN_BINFMT_DIR of i386-mode.sh), which tests/scripts/setup-test.sh uses to
# play machines with stand-in commands.
set -euo pipefail
. "$(dirname "$0")/i386-mode.sh"

packages=(
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64
  msitools wixl gcab
  openssl
  xvfb xauth xdotool imagemagick fonts-dejavu-core
  googletest cmake ninja-build clang libclang-rt-14-dev
  clang-format-14
  osslsigncode icoutils nsis python3-pefile hyperfine
  lintian debootstrap
)

qemu=${TARN_SETUP_QEMU:-/usr/bin/qemu-i386-static}
qemu_min_major=10
backports_sources=${TARN_SETUP_APT_SOURCES:-/etc/apt/sources.list.d}/tarnvale-bookworm-backports.sources
# The emulator file whose registration passed the check below, so a second
# run trusts an entry only while it still holds that very file.
state_file=${TARN_SETUP_STATE:-/var/lib/tarnvale-installer/i386-emulation}
# i386 ELF executables and shared objects (e_type 2 or 3, e_machine 3).
binfmt_registration=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'$qemu':F'

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

fail() {
  echo "setup: $*" >&2
  exit 1
}

# Writes $2 to the file $1 as root (binfmt_misc control files, apt sources).
write_as_root() {
  printf '%s' "$2" | "${sudo_cmd[@]}" tee "$1" >/dev/null
}

install_packages() {
  local missing=() p
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "setup: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
  echo "setup: done"
}

qemu_usable() {
  local version
  version=$(i386_qemu_version "$qemu")
  [ -n "$version" ] && [ "${version%%.*}" -ge "$qemu_min_major" ]
}

install_qemu() {
  qemu_usable && return 0
  echo "setup: 32-bit programs do not run here; installing QEMU's user-mode emulator from bookworm-backports"
  if [ ! -f "$backports_sources" ]; then
    write_as_root "$backports_sources" 'Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
'
  fi
  "${sudo_cmd[@]}" apt-get update -qq || fail "apt-get update failed with $backports_sources"
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq -t bookworm-backports qemu-user-static \
    >/dev/null || fail "installing qemu-user-static from bookworm-backports failed"
  qemu_usable || fail "$qemu is not QEMU $qemu_min_major or newer after installing qemu-user-static"
}

mount_binfmt_misc() {
  [ -e "$i386_binfmt_dir/register" ] && return 0
  "${sudo_cmd[@]}" mount -t binfmt_misc binfmt_misc "$i386_binfmt_dir" ||
    fail "cannot mount binfmt_misc on $i386_binfmt_dir"
}

# Device, inode, size and time of the file the emulator's path leads to, and a
# digest of its bytes: a file replaced within the same second by one of the
# same size, which may get the freed inode back, still differs.
qemu_identity() {
  local id
  id=$(stat -L -c '%d:%i:%s:%Y' "$qemu" 2>/dev/null) || { echo missing; return 0; }
  echo "$id:$(sha256sum <"$qemu" | cut -d' ' -f1)"
}

# True when the entry runs this very emulator file and was checked with it.
registration_current() {
  i386_entry_enabled &&
    [ "$(i386_entry_interpreter)" = "$qemu" ] &&
    grep -q '^flags: .*F' "$i386_binfmt_entry" &&
    [ -f "$state_file" ] && [ "$(cat "$state_file")" = "$(qemu_identity)" ]
}

# Registers the emulator afresh. binfmt_misc switched off as a whole (its
# status "disabled") ignores every entry, so it is switched on again: an entry
# found while it was off is never trusted, it is registered and checked anew.
register_qemu() {
  if [ -e "$i386_binfmt_entry" ]; then
    write_as_root "$i386_binfmt_entry" -1 || fail "cannot remove the stale binfmt_misc entry $i386_binfmt_entry"
  fi
  write_as_root "$i386_binfmt_dir/register" "$binfmt_registration" ||
    fail "cannot register $qemu with binfmt_misc for i386 programs"
  if ! i386_binfmt_enabled; then
    echo "setup: binfmt_misc is switched off; switching it on"
    write_as_root "$i386_binfmt_dir/status" 1 || fail "cannot switch binfmt_misc on ($i386_binfmt_dir/status)"
  fi
}

# Builds a 32-bit Windows program and runs it under Wine in a prefix of its own.
# A program that cannot be built fails the run with a line of its own: that
# says nothing about Wine.
windows_program_runs() {
  local dir status error
  dir=$(mktemp -d)
  printf 'int main(void) { return 42; }\n' >"$dir/probe.c"
  if ! i686-w64-mingw32-gcc -o "$dir/probe.exe" "$dir/probe.c" >"$dir/log" 2>&1; then
    error=$(grep -m 1 . "$dir/log" || true)
    rm -rf "$dir"
    fail "i686-w64-mingw32-gcc cannot build a 32-bit Windows test program${error:+: $error}"
  fi
  set +e
  WINEPREFIX=$dir/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    timeout 900 wine "$dir/probe.exe" >>"$dir/log" 2>&1 </dev/null
  status=$?
  WINEPREFIX=$dir/prefix wineserver -k >/dev/null 2>&1
  set -e
  rm -rf "$dir"
  [ "$status" -eq 42 ]
}

emulate_i386() {
  install_qemu
  mount_binfmt_misc
  if registration_current && i386_loader_runs; then
    return 0
  fi
  register_qemu
  i386_loader_runs || fail "32-bit programs still do not run with $qemu registered: $i386_wine_loader --version fails"
  echo "setup: checking that a 32-bit Windows program runs under Wine (emulated, the first start takes a while)"
  windows_program_runs || fail "32-bit Windows programs still do not run under Wine with $qemu registered"
  "${sudo_cmd[@]}" mkdir -p "$(dirname "$state_file")"
  write_as_root "$state_file" "$(qemu_identity)"
  echo "setup: $(i386_mode_line)"
}

install_packages
# An enabled entry is checked even where the loader starts: it may hold an
# emulator file that an upgrade has replaced.
if i386_entry_enabled || ! i386_loader_runs; then
  emulate_i386
fi

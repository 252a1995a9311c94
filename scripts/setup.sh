#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the project:
# the mingw-w64 i686 cross compiler, 32-bit Wine, the MSI tools, a virtual
# display for window tests, GoogleTest sources, CMake/Ninja, clang with
# libFuzzer, clang-format 14 (the layout check is a test, and .clang-format is
# written for that version's output), and the tools for signing, inspecting
# and comparing Windows executables (openssl for test certificates) and for benchmarks. Idempotent: returns at
# once when everything is present.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64
  msitools wixl gcab
  openssl
  xvfb xauth xdotool imagemagick
  googletest cmake ninja-build clang libclang-rt-14-dev
  clang-format-14
  osslsigncode icoutils nsis python3-pefile hyperfine
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
echo "setup: done"

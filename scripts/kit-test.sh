#!/usr/bin/env bash
# The installable kit as a release engineer meets it: builds the Debian
# package from the win32 build and has lintian check it (lintian must be
# there; an error it finds fails the test), checks that an installation
# under another prefix finds its kit beside itself, installs it with apt-get, then,
# from a directory outside this repository, packs the demo MSIs with the
# installed tarn-pack and with a small CMake project that uses
# find_package(TarnInstaller), runs both installers silently under Wine and
# checks the product they installed, and removes the package and checks that
# nothing of it is left. Then the same package on Debian 13: a minimal root
# made with debootstrap, the package installed there with apt (which must
# bring no compiler), the demo packed and verified there, and that installer
# run silently under this machine's Wine. Needs root (or sudo) for apt-get,
# debootstrap and chroot; run after the win32 build (scripts/test-all.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/win32
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

fail() {
  echo "kit-test: FAILED: $*" >&2
  exit 1
}
step() { echo "kit-test: $*"; }

step "building the package"
rm -f "$build"/packaging/tarnvale-installer-kit_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/packaging/tarnvale-installer-kit_*_all.deb)
deb=${debs[0]}
[ -f "$deb" ] || fail "cpack made no package"

depends=$(dpkg-deb -f "$deb" Depends)
step "the package depends on: $depends"
if grep -qE 'gcc|g\+\+|mingw|binutils|clang' <<<"$depends"; then fail "the package depends on a compiler: $depends"; fi

step "lintian $(basename "$deb")"
command -v lintian >/dev/null || fail "lintian is missing (scripts/setup.sh installs it)"
# lintian's own verdict: exit status 0 only when it checked the package and
# found no error.
lintian_status=0
lintian_out=$(lintian --fail-on error "$deb" 2>&1) || lintian_status=$?
[ "$lintian_status" -eq 0 ] || fail "lintian exited with $lintian_status:"$'\n'"$lintian_out"

step "installing under another prefix with cmake --install"
# tarn-pack finds its kit relative to itself, wherever the kit is installed.
prefix=$(mktemp -d /tmp/tarn-kit-prefix-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
install_out=$(cmake --install "$build" --prefix "$prefix" 2>&1) || fail "cmake --install --prefix $prefix: $install_out"
version=$(env -u TARN_STUB_KIT "$prefix/bin/tarn-pack" --version 2>&1) || fail "$prefix/bin/tarn-pack --version: $version"
[[ $version == "tarn-pack "*" (stub kit $prefix/share/tarnvale-installer/stub-kit)" ]] ||
  fail "tarn-pack installed under $prefix does not name its own kit: $version"
[ -f "$prefix/share/tarnvale-installer/stub-kit/stub.conf" ] || fail "no stub kit under $prefix/share/tarnvale-installer"
rm -rf "$prefix"
trap - EXIT

step "installing it with apt-get"
"${sudo_cmd[@]}" apt-get purge -y -qq tarnvale-installer-kit >/dev/null 2>&1 || true
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$deb" >/dev/null
mapfile -t files < <(dpkg -L tarnvale-installer-kit)

work=$(mktemp -d /tmp/tarn-kit-test-XXXXXX)
trap 'WINEPREFIX=$work/wine wineserver -k >/dev/null 2>&1 || true; rm -rf --one-file-system "$work"' EXIT
mkdir "$work/inputs"
cp "$build/test-msi/TarnDemo_amd64.msi" "$build/test-msi/common.cab" "$work/inputs/"
cd "$work"
# Nothing of the source tree may be found from here.
unset TARN_STUB_KIT
export PATH=/usr/bin:/bin

step "packing with the installed tarn-pack"
[ "$(command -v tarn-pack)" = /usr/bin/tarn-pack ] || fail "tarn-pack is not /usr/bin/tarn-pack"
version=$(tarn-pack --version)
[[ $version == "tarn-pack "*" (stub kit /usr/share/tarnvale-installer/stub-kit)" ]] || fail "tarn-pack --version: $version"
tarn-pack -o cli-setup.exe --package amd64:inputs/TarnDemo_amd64.msi --package all:inputs/common.cab \
  --splash /usr/share/tarnvale-installer/demo-splash.png
tarn-pack --verify cli-setup.exe >/dev/null || fail "the packed installer does not verify"

step "packing with find_package(TarnInstaller)"
cmake -S "$root/tests/kit/consumer" -B consumer-build -DDEMO_PACKAGES="$work/inputs" >consumer.log 2>&1 ||
  fail "configuring the consumer project: $(cat consumer.log)"
cmake --build consumer-build >>consumer.log 2>&1 || fail "building the consumer project: $(cat consumer.log)"
[ -f consumer-build/consumer-setup.exe ] || fail "the consumer project made no installer"

export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
installed="$WINEPREFIX/drive_c/Program Files/TarnvaleDemo/readme.txt"
# Runs the installer $1 with --silent, checks the demo product it installed and removes that again.
install_silently() {
  local setup=$1 status
  set +e
  wine "$setup" --silent >"$work/wine.log" 2>&1
  status=$?
  set -e
  [ "$status" -eq 0 ] || fail "$setup --silent exited with $status: $(cat "$work/wine.log")"
  [ -f "$installed" ] || fail "$setup did not install the demo product"
  wine msiexec /x "$work/inputs/TarnDemo_amd64.msi" /qn >/dev/null 2>&1
  wineserver -w
  [ ! -e "$installed" ] || fail "the demo product could not be removed after $setup"
}
for setup in cli-setup.exe consumer-build/consumer-setup.exe; do
  step "installing silently with $setup under Wine"
  install_silently "$setup"
done

step "removing the package"
cd /
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get purge -y -qq tarnvale-installer-kit >/dev/null
left=()
for f in "${files[@]}"; do
  # Directories that other packages share (/usr, /usr/share/doc, ...) stay.
  if [ -e "$f" ] && { [ ! -d "$f" ] || [[ $f == */tarnvale-installer* || $f == */TarnInstaller ]]; }; then
    left+=("$f")
  fi
done
[ ${#left[@]} -eq 0 ] || fail "left after removing the package: ${left[*]}"

# Debian 13 from the same registry as this machine's own packages.
mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
mirror=${mirror:-http://deb.debian.org/debian}
trixie=$work/trixie
unmount_trixie() {
  for m in "$trixie/proc" "$trixie/dev"; do
    if mountpoint -q "$m"; then "${sudo_cmd[@]}" umount -l "$m" || true; fi
  done
}
trap 'unmount_trixie; WINEPREFIX=$work/wine wineserver -k >/dev/null 2>&1 || true; rm -rf --one-file-system "$work"' EXIT
in_trixie() { "${sudo_cmd[@]}" chroot "$trixie" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
  LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }

export PATH=/usr/sbin:/usr/bin:/sbin:/bin
step "Debian 13: making a minimal root with debootstrap ($mirror)"
command -v debootstrap >/dev/null || fail "debootstrap is missing (scripts/setup.sh installs it)"
"${sudo_cmd[@]}" debootstrap --variant=minbase trixie "$trixie" "$mirror" >"$work/debootstrap.log" 2>&1 ||
  fail "debootstrap trixie: $(tail -n 20 "$work/debootstrap.log")"
"${sudo_cmd[@]}" mount --bind /dev "$trixie/dev"
"${sudo_cmd[@]}" mount -t proc proc "$trixie/proc"
grep -q '^VERSION_ID="13"' "$trixie/etc/os-release" || fail "the root is not Debian 13: $(cat "$trixie/etc/os-release")"

step "Debian 13: installing $(basename "$deb") with apt"
mkdir -p "$trixie/kit-test"
cp "$deb" "$trixie/kit-test/"
cp "$work/inputs/TarnDemo_amd64.msi" "$work/inputs/common.cab" "$trixie/kit-test/"
in_trixie apt-get update -qq >"$work/trixie-apt.log" 2>&1 || fail "apt-get update: $(cat "$work/trixie-apt.log")"
in_trixie apt-get install -y -qq --no-install-recommends "/kit-test/$(basename "$deb")" >>"$work/trixie-apt.log" 2>&1 ||
  fail "apt-get install of the package: $(tail -n 20 "$work/trixie-apt.log")"
compilers=$(ls "$trixie/usr/bin" | grep -E '^(.*-)?(gcc|g\+\+|cc|c\+\+|ld)(-[0-9.]+)?$|mingw' || true)
[ -z "$compilers" ] || fail "installing the package brought compilers or linkers: $compilers"

step "Debian 13: packing and verifying the demo with the installed tarn-pack"
in_trixie sh -c 'cd /kit-test && tarn-pack -o trixie-setup.exe --package amd64:TarnDemo_amd64.msi \
  --package all:common.cab --splash /usr/share/tarnvale-installer/demo-splash.png' >"$work/trixie-pack.log" 2>&1 ||
  fail "tarn-pack: $(cat "$work/trixie-pack.log")"
in_trixie tarn-pack --verify /kit-test/trixie-setup.exe >"$work/trixie-verify.log" 2>&1 ||
  fail "tarn-pack --verify: $(cat "$work/trixie-verify.log")"

step "Debian 13: installing its installer silently under Wine"
cd "$work"
install_silently "$trixie/kit-test/trixie-setup.exe"
unmount_trixie
step "passed"

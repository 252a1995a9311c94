#!/usr/bin/env bash
# The stub the kit ships is the same, byte for byte, whoever builds it where:
# copies the tracked files of this tree to a directory of another name and
# length, builds the stub kit there from scratch and compares its stub with
# the one of build/win32. Also checks that neither build's directory appears
# in the stub. Prints both SHA-256 sums. Run after the win32 build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
ours=$root/build/win32/stub-kit/stub.exe
fail() {
  echo "stub-repro-test: FAILED: $*" >&2
  exit 1
}
[ -f "$ours" ] || fail "$ours is missing; build the win32 flavour first"

work=$(mktemp -d /tmp/tarn-stub-repro-XXXXXX)
trap 'rm -rf "$work"' EXIT
other=$work/another-checkout-of-tarnvale
mkdir "$other"
git -C "$root" ls-files -z | (cd "$root" && tar --null -T - -cf -) | tar -xf - -C "$other"
echo "stub-repro-test: building the stub kit in $other"
(cd "$other" && cmake --preset win32) >"$work/configure.log" 2>&1 || fail "configuring: $(tail -n 20 "$work/configure.log")"
cmake --build "$other/build/win32" --target tarnstub-kit >"$work/build.log" 2>&1 ||
  fail "building: $(tail -n 20 "$work/build.log")"
theirs=$other/build/win32/stub-kit/stub.exe

sum_ours=$(sha256sum "$ours" | cut -d' ' -f1)
sum_theirs=$(sha256sum "$theirs" | cut -d' ' -f1)
echo "stub-repro-test: $ours $sum_ours ($(stat -c %s "$ours") bytes)"
echo "stub-repro-test: $theirs $sum_theirs ($(stat -c %s "$theirs") bytes)"
[ "$sum_ours" = "$sum_theirs" ] || fail "the two builds give different stubs"
for dir in "$root" "$other"; do
  if grep -qaF "$dir" "$ours" "$theirs"; then fail "a stub names the build directory $dir"; fi
done
echo "stub-repro-test: passed"

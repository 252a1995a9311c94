#!/usr/bin/env bash
# Tests the decisions of scripts/setup.sh about 32-bit programs, on machines
# played with stand-ins: a fake i386 Wine loader that starts when the machine
# is "native" or once an emulator is registered, a directory in place of
# binfmt_misc (the test plays the kernel's entries and its status by hand), and
# fake apt-get, mount, tee, wine and mingw commands that log their calls.
set -euo pipefail
setup=$(cd "$(dirname "$0")/../.." && pwd)/scripts/setup.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fake=$work/bin
binfmt=$work/binfmt
qemu=$work/usr/bin/qemu-i386-static
sources=$work/sources.list.d
state=$work/state/i386-emulation
registration=':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'$qemu':F'

mkdir -p "$fake"
# Every fake command logs its arguments to $work/<name>.log.
fake_cmd() {
  printf '#!/usr/bin/env bash\necho "$*" >>"%s/%s.log"\n%s\n' "$work" "$1" "$2" >"$fake/$1"
  chmod +x "$fake/$1"
}
# 32-bit programs start natively, or through an enabled entry qemu-i386 while
# binfmt_misc is switched on, unless "broken".
starts='[ ! -e '$work'/broken ] && { [ -e '$work'/native ] ||
  { grep -qsx enabled '$binfmt'/status && grep -qs "^enabled" '$binfmt'/qemu-i386; }; }'
fake_cmd wine32-loader "$starts"
fake_cmd wine "$starts && [ ! -e $work/no-windows ] && exit 42; exit 1"
fake_cmd wineserver 'exit 0'
fake_cmd dpkg-query 'echo "install ok installed"'
# Playing the kernel's control files (root writes them with tee): a
# registration makes the entry (the written line stays readable in register),
# -1 removes an entry (noted in removed.log), the status takes 1 or 0 and reads
# back as a word.
fake_cmd tee "text=\$(cat)
case \$1 in
  $binfmt/register)
    printf '%s' \"\$text\" >\"\$1\"
    IFS=: read -r _ name _ _ _ _ interpreter flags <<<\"\$text\"
    printf 'enabled\\ninterpreter %s\\nflags: %s\\noffset 0\\n' \"\$interpreter\" \"\$flags\" >$binfmt/\$name ;;
  $binfmt/status)
    case \$text in 1) echo enabled ;; 0) echo disabled ;; *) exit 1 ;; esac >\"\$1\" ;;
  $binfmt/*)
    [ \"\$text\" = -1 ] && [ -f \"\$1\" ] || exit 1
    rm \"\$1\"
    basename \"\$1\" >>$work/removed.log ;;
  *) printf '%s' \"\$text\" >\"\$1\" ;;
esac"
fake_cmd i686-w64-mingw32-gcc "[ ! -e $work/no-compiler ] || { echo 'i686-w64-mingw32-gcc: fatal error: cannot execute cc1' >&2; exit 1; }
"'while [ $# -gt 1 ] && [ "$1" != -o ]; do shift; done; touch "$2"'
fake_cmd mount 'mkdir -p "$4"; touch "$4/register"; echo enabled >"$4/status"'
fake_cmd sudo '"$@"'
# Installing qemu-user-static from backports puts QEMU 10 in place.
make_qemu() {
  mkdir -p "$(dirname "$qemu")"
  rm -f "$qemu"
  printf '#!/bin/sh\necho "qemu-i386 version %s (Debian)"\n' "$1" >"$qemu"
  chmod +x "$qemu"
}
declare -f make_qemu >"$work/make-qemu.sh"
fake_cmd apt-get "case \"\$*\" in *'-t bookworm-backports qemu-user-static'*)
  qemu=$qemu; . $work/make-qemu.sh; make_qemu 10.0.2 ;;
esac"

. "$(dirname "$0")/cases.sh"

# Starts a case on a machine with the packages but nothing of 32-bit emulation.
begin() {
  case_start "$1"
  rm -rf "$binfmt" "$work/usr" "$sources" "$work/state" "$work"/*.log "$work/native" "$work/broken" "$work/no-windows" "$work/no-compiler"
  mkdir -p "$sources"
}
# The kernel's state after a registration with the F flag.
mount_binfmt() {
  mkdir -p "$binfmt"
  touch "$binfmt/register"
  echo enabled >"$binfmt/status"
}
# make_entry INTERPRETER [FLAGS]: an enabled entry qemu-i386 (flags F by default).
make_entry() {
  printf 'enabled\ninterpreter %s\nflags: %s\noffset 0\n' "$1" "${2-F}" >"$binfmt/qemu-i386"
}
run_setup() {
  set +e
  PATH=$fake:$PATH TARN_WINE32_LOADER=$fake/wine32-loader TARN_BINFMT_DIR=$binfmt TARN_SETUP_QEMU=$qemu \
    TARN_SETUP_APT_SOURCES=$sources TARN_SETUP_STATE=$state bash "$setup" >"$work/out" 2>"$work/err" </dev/null
  status=$?
  set -e
}
calls() { cat "$work/$1.log" 2>/dev/null || true; }
end() { case_end stdout "$work/out" stderr "$work/err"; }
registered_freshly() { [ "$(cat "$binfmt/register" 2>/dev/null)" = "$registration" ]; }
# The stale entry was removed and the emulator registered in its place.
check_registered_again() {
  check "old entry not removed" grep -qsx qemu-i386 "$work/removed.log"
  check "not registered again" registered_freshly
}
nothing_done() {
  [ -z "$(calls apt-get)$(calls mount)$(calls wine)" ] && [ ! -s "$binfmt/register" ]
}

begin "a machine that runs 32-bit code natively is left as it is"
touch "$work/native"
mount_binfmt
run_setup
check "exit status $status" [ "$status" -eq 0 ]
check "something was installed, mounted, registered or run" nothing_done
check "sources added" [ -z "$(ls "$sources")" ]
check "output: $(cat "$work/out")" [ ! -s "$work/out" ]
check "state recorded" [ ! -e "$state" ]
end

begin "a fresh machine without 32-bit emulation gets QEMU from backports, registered with the F flag"
run_setup
check "exit status $status" [ "$status" -eq 0 ]
check "no backports sources file" grep -qx 'Suites: bookworm-backports' "$sources/tarnvale-bookworm-backports.sources"
check "QEMU not installed from backports" grep -q -- '-t bookworm-backports qemu-user-static' "$work/apt-get.log"
check "binfmt_misc not mounted" grep -qx -e "-t binfmt_misc binfmt_misc $binfmt" "$work/mount.log"
check "registration: $(cat "$binfmt/register" 2>/dev/null)" registered_freshly
check "no Windows program run" [ -n "$(calls wine)" ]
check "no mode line" grep -qx 'setup: 32-bit code runs emulated (QEMU 10.0.2 user mode, binfmt_misc entry qemu-i386)' "$work/out"
end

begin "a second run finds everything in place and does nothing"
run_setup
rm "$binfmt/register" "$work"/*.log
touch "$binfmt/register"
run_setup
check "exit status $status" [ "$status" -eq 0 ]
check "something was installed, mounted, registered or run again" nothing_done
check "output: $(cat "$work/out")" [ ! -s "$work/out" ]
end

# Cases on a machine set up before: the entry exists, and then one thing changes.
set_up_before() {
  begin "$1"
  run_setup
  rm "$binfmt/register" "$work"/*.log
  touch "$binfmt/register"
}
set_up_before "an entry whose emulator file was replaced (an upgrade) is registered again"
make_qemu 10.0.3
run_setup
check "exit status $status" [ "$status" -eq 0 ]
check_registered_again
check "QEMU reinstalled" [ -z "$(calls apt-get)" ]
end

set_up_before "an entry whose emulator is gone: QEMU installed and registered again"
rm "$qemu"
run_setup
check "exit status $status" [ "$status" -eq 0 ]
check "QEMU not installed" grep -q -- '-t bookworm-backports qemu-user-static' "$work/apt-get.log"
check_registered_again
end

set_up_before "an entry naming another interpreter is registered again"
make_entry /usr/bin/qemu-i386-old
run_setup
check "exit status $status" [ "$status" -eq 0 ]
check_registered_again
end

set_up_before "an entry without the F flag is registered again"
make_entry "$qemu" OC
run_setup
check "exit status $status" [ "$status" -eq 0 ]
check_registered_again
end

set_up_before "with binfmt_misc switched off its entry is not trusted: registered again, switched on and checked"
echo disabled >"$binfmt/status"
run_setup
check "exit status $status" [ "$status" -eq 0 ]
check "status: $(cat "$binfmt/status")" [ "$(cat "$binfmt/status")" = enabled ]
check_registered_again
check "no Windows program run" [ -n "$(calls wine)" ]
check "switching on not said" grep -qx 'setup: binfmt_misc is switched off; switching it on' "$work/out"
check "no mode line" grep -qx 'setup: 32-bit code runs emulated (QEMU 10.0.2 user mode, binfmt_misc entry qemu-i386)' "$work/out"
end

begin "bookworm's own QEMU 7.2 is replaced by the backported one"
make_qemu 7.2.19
mount_binfmt
run_setup
check "exit status $status" [ "$status" -eq 0 ]
check "QEMU not installed from backports" grep -q -- '-t bookworm-backports qemu-user-static' "$work/apt-get.log"
check "mounted again" [ -z "$(calls mount)" ]
check "not registered" registered_freshly
end

# failing_case NAME MARKER LINE: with MARKER in place setup fails with exactly LINE and records nothing.
failing_case() {
  begin "$1"
  touch "$work/$2"
  run_setup
  check "exit status $status" [ "$status" -eq 1 ]
  check "stderr: $(cat "$work/err")" [ "$(cat "$work/err")" = "$3" ]
  check "state recorded" [ ! -e "$state" ]
  end
}
failing_case "32-bit programs that still do not start fail the run with one clear line" broken \
  "setup: 32-bit programs still do not run with $qemu registered: $fake/wine32-loader --version fails"
failing_case "a Windows program that does not run under Wine fails the run with one clear line" no-windows \
  "setup: 32-bit Windows programs still do not run under Wine with $qemu registered"
failing_case "a test program that cannot be built is not blamed on Wine" no-compiler \
  "setup: i686-w64-mingw32-gcc cannot build a 32-bit Windows test program: i686-w64-mingw32-gcc: fatal error: cannot execute cc1"

cases_report setup

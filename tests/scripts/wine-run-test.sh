#!/usr/bin/env bash
# Tests the decisions of scripts/wine-run.sh with fake wine, wineboot and
# wineserver commands: when a run is repeated (only one that died of a broken
# Wine client/server link before any test result, and only once), and that a
# prefix is marked ready only after its creation succeeded.
#
# Each fake command plays the script planned for its N-th call
# ($fake/wine-N.sh, $fake/wineboot-N.sh); an unplanned wine call fails with 99,
# an unplanned wineboot call makes a good prefix.
set -euo pipefail
wrapper=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-run.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fake=$work/bin
mkdir -p "$fake"
for cmd in wine wineboot; do
  cat >"$fake/$cmd" <<EOF
#!/usr/bin/env bash
n=\$((\$(cat "$work/$cmd.calls" 2>/dev/null || echo 0) + 1))
echo \$n >"$work/$cmd.calls"
if [ -f "$work/$cmd-\$n.sh" ]; then . "$work/$cmd-\$n.sh"; fi
EOF
done
echo 'echo "fake wine: call $n not planned" >&2; exit 99' >>"$fake/wine"
echo 'touch "$WINEPREFIX/system.reg"' >>"$fake/wineboot"
printf '#!/usr/bin/env bash\nexit 0\n' >"$fake/wineserver"
chmod +x "$fake"/*

link_error='echo "wine client error:2c: recvmsg: Connection reset by peer" >&2'

. "$(dirname "$0")/cases.sh"

# Starts a case with a fresh prefix, no planned calls and nothing counted.
begin() {
  case_start "$1"
  rm -rf "$work/prefix" "$work/prefix.lock" "$work"/*.sh "$work"/*.calls "$work"/out "$work"/err
}
# plan CMD N SCRIPT: what the N-th call of CMD does.
plan() { printf '%s\n' "$3" >"$work/$1-$2.sh"; }
run_wrapper() {
  set +e
  PATH=$fake:$PATH TARN_WINEPREFIX=$work/prefix TARN_WINE32_LOADER=true TARN_BINFMT_DIR=$work/no-binfmt bash "$wrapper" test.exe --gtest_filter=X.* \
    >"$work/out" 2>"$work/err" </dev/null
  status=$?
  set -e
}
calls() { cat "$work/$1.calls" 2>/dev/null || echo 0; }
in_file() { grep -q -- "$2" "$work/$1"; }
not_in_file() { ! grep -q -- "$2" "$work/$1"; }
end() { case_end stderr "$work/err"; }

# Runs one planned program case: the scripts of the first and (optional)
# second wine call, then the exit status and the number of wine calls expected.
program_case() {
  begin "$1"
  plan wine 1 "$2"
  [ -z "$3" ] || plan wine 2 "$3"
  run_wrapper
  check "exit status $status, expected $4" [ "$status" -eq "$4" ]
  check "$(calls wine) wine calls, expected $5" [ "$(calls wine)" -eq "$5" ]
  if [ "$5" -eq 2 ]; then
    check "the retry is not logged" in_file err "running it once more"
    check "how 32-bit code runs not said" in_file err "32-bit code runs natively"
  else
    check "a retry is logged" not_in_file err "running it once more"
  fi
  end
}

program_case "a passing run runs once" \
  'echo "[       OK ] X.A"; exit 0' '' 0 1
program_case "a link error before any result is retried, and the retry's status counts" \
  'echo "[ RUN      ] X.A"; '"$link_error"'; exit 1' 'echo "[  PASSED  ] 1 test."; exit 0' 0 2
program_case "a retry that fails reports its own status" \
  "$link_error; exit 1" 'echo "[  FAILED  ] X.A"; exit 4' 4 2
program_case "a second link error is not retried again" \
  "$link_error; exit 1" "$link_error; exit 5" 5 2
program_case "a failed test is never retried, even with a link error" \
  'echo "[  FAILED  ] X.A"; '"$link_error"'; exit 1' '' 1 1
program_case "an assertion message counts as a result (Windows line ends)" \
  'printf "x.cpp:12: Failure\r\n"; '"$link_error"'; exit 1' '' 1 1
program_case "a passed test before the link error counts as a result" \
  'printf "[       OK ] X.A (0 ms)\r\n"; '"$link_error"'; exit 1' '' 1 1
program_case "a failure without a Wine error is not retried" \
  'echo "[ RUN      ] X.A"; echo "boom" >&2; exit 3' '' 3 1
program_case "a Wine error in a successful run changes nothing" \
  "$link_error; exit 0" '' 0 1
program_case "the wine server not starting counts as a link error" \
  'echo "wine: for some mysterious reason, the wine server failed to run." >&2; exit 1' 'exit 0' 0 2

begin "a loader the kernel refuses is reported with how 32-bit code runs"
plan wine 1 'echo "/usr/lib/wine/wine: Exec format error" >&2; exit 126'
run_wrapper
check "exit status $status" [ "$status" -eq 126 ]
check "how 32-bit code runs not said" in_file err "wine-run: 32-bit code runs natively"
end

begin "output and arguments pass through"
plan wine 1 'echo "args: $*"; echo "to stderr" >&2; exit 0'
run_wrapper
check "stdout" in_file out "args: test.exe --gtest_filter=X.\*"
check "stderr" in_file err "to stderr"
check "stderr on stdout" not_in_file out "to stderr"
end

begin "a failed prefix creation is retried and only then marked ready"
plan wineboot 1 'touch "$WINEPREFIX/system.reg" "$WINEPREFIX/half-made"; exit 1'
plan wineboot 2 'exit 0' # reports success but leaves no registry
plan wine 1 'exit 0'
run_wrapper
check "exit status $status" [ "$status" -eq 0 ]
check "$(calls wineboot) wineboot calls, expected 3" [ "$(calls wineboot)" -eq 3 ]
check "a failed attempt's files kept" [ ! -e "$work/prefix/half-made" ]
check "not marked ready" [ -f "$work/prefix/.tarn-ready" ]
check "creation mark left" [ ! -e "$work/prefix/.tarn-creating" ]
check "failures not logged" in_file err "attempt 2 of 3"
end

begin "a prefix that cannot be created fails the run and is not marked ready"
for n in 1 2 3; do plan wineboot $n 'echo "cannot boot" >&2; exit 1'; done
plan wine 1 'exit 0'
run_wrapper
check "exit status 0" [ "$status" -ne 0 ]
check "the program ran" [ "$(calls wine)" -eq 0 ]
check "$(calls wineboot) wineboot calls, expected 3" [ "$(calls wineboot)" -eq 3 ]
check "marked ready" [ ! -e "$work/prefix/.tarn-ready" ]
check "no clear message" in_file err "could not create the Wine prefix"
check "wineboot's output not shown" in_file err "cannot boot"
check "how 32-bit code runs not said" in_file err "wine-run: 32-bit code runs natively"
end

begin "a ready prefix is used as it is"
mkdir -p "$work/prefix"
touch "$work/prefix/.tarn-ready"
plan wineboot 1 'exit 1'
plan wine 1 'exit 0'
run_wrapper
check "exit status $status" [ "$status" -eq 0 ]
check "wineboot called" [ "$(calls wineboot)" -eq 0 ]
end

begin "a directory that existed before is never removed"
mkdir -p "$work/prefix"
touch "$work/prefix/keep"
plan wineboot 1 'exit 1'
plan wine 1 'exit 0'
run_wrapper
check "exit status $status" [ "$status" -eq 0 ]
check "its file was removed" [ -f "$work/prefix/keep" ]
check "not marked ready" [ -f "$work/prefix/.tarn-ready" ]
end

cases_report wine-run

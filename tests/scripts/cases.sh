# The bookkeeping of the script tests' cases, sourced by them:
#   case_start NAME            a case begins
#   check WHAT COMMAND...      the case fails (saying WHAT) unless COMMAND succeeds
#   case_end LABEL FILE...     counts the case; a failed one shows each FILE's lines behind its LABEL
#   cases_report NAME          the summary line; fails when a case failed
passed=0
failed=0
case_name=
case_ok=true

case_start() {
  case_name=$1
  case_ok=true
}
check() {
  local what=$1
  shift
  if ! "$@"; then
    echo "FAIL $case_name: $what" >&2
    case_ok=false
  fi
}
case_end() {
  if $case_ok; then
    passed=$((passed + 1))
    return
  fi
  failed=$((failed + 1))
  while [ $# -ge 2 ]; do
    sed "s/^/  $1: /" "$2" >&2
    shift 2
  done
}
cases_report() {
  echo "$1: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

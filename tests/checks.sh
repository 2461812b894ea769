# What the check scripts share. check "description" command... runs the command quietly and
# counts its verdict; checks_done "what" prints the tally and fails unless all passed.
failures=0 passes=0
check() {
  local description=$1; shift
  if "$@" >/dev/null 2>&1; then echo "ok: $description"; passes=$((passes + 1)); else echo "FAILED: $description"; failures=$((failures + 1)); fi
}
checks_done() { echo "$1: $passes passed, $failures failed"; [ "$passes" -gt 0 ] && [ "$failures" -eq 0 ]; }

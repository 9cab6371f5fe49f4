#!/usr/bin/env bash
# wine-test.sh TEST.EXE [ARGS...] - runs a cross-built GoogleTest program
# under Wine. Passes only when the program exits with 0 *and* reports at
# least one passed test and no failure: a Wine that cannot start a 32-bit
# program also exits with 0.
#
# A run that fails is run once more, and the test passes only if that run
# passes whole: now and then Wine's desktop stops answering for a while
# (a group's folder window, the Program Manager server), and the GUI tests
# that wait on it time out. A fault of the program fails both runs.
set -u
out=$(mktemp)
trap 'rm -f "$out"' EXIT

run_once() {
  "$(dirname "$0")/wine-run.sh" "$@" 2>&1 | tee "$out"
  local rc=${PIPESTATUS[0]}
  if [ "$rc" -ne 0 ]; then
    echo "wine-test: exit code $rc" >&2
    return 1
  fi
  if ! grep -qE '^\[  PASSED  \] [1-9][0-9]* test' "$out" || grep -q '^\[  FAILED  \]' "$out"; then
    echo "wine-test: the program did not report passing tests" >&2
    return 1
  fi
}

run_once "$@" && exit 0
failed=$(grep -E '^\[  FAILED  \] [A-Za-z]' "$out" | sed 's/ (.*//' | sort -u | tr '\n' ' ')
echo "wine-test: the run failed (${failed:-no test named; the program did not finish}); running it once more" >&2
run_once "$@" && { echo "wine-test: the second run passed; the first run's failures are above" >&2; exit 0; }
exit 1

#!/usr/bin/env bash
# wine-test.sh TEST.EXE [ARGS...] - runs a cross-built GoogleTest program
# under Wine. Passes only when the program exits with 0 *and* reports at
# least one passed test and no failure: a Wine that cannot start a 32-bit
# program also exits with 0.
set -u
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$(dirname "$0")/wine-run.sh" "$@" 2>&1 | tee "$out"
rc=${PIPESTATUS[0]}
if [ "$rc" -ne 0 ]; then
  echo "wine-test: exit code $rc" >&2
  exit 1
fi
if ! grep -qE '^\[  PASSED  \] [1-9][0-9]* test' "$out" || grep -q '^\[  FAILED  \]' "$out"; then
  echo "wine-test: the program did not report passing tests" >&2
  exit 1
fi

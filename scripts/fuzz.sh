#!/usr/bin/env bash
# fuzz.sh [SECONDS] - runs the script reader's libFuzzer target (ASan and
# UBSan) for SECONDS (default 60), starting from the real scripts of the
# project. Fails on any finding.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
fuzzer=$ROOT/build/host/fuzz_setupinf
corpus=$ROOT/build/host/fuzz-corpus
mkdir -p "$corpus"
i=0
for f in "$ROOT"/tests/data/*/SETUP.INF "$ROOT"/demo/SETUP.TPL; do
  cp "$f" "$corpus/seed-$i.inf"; i=$((i + 1))
done
cd "$ROOT/build/host"
log=$ROOT/build/host/fuzz.log
set +e
"$fuzzer" -max_total_time="$seconds" -timeout=10 -max_len=20479 -print_final_stats=1 \
  "$corpus" >"$log" 2>&1
status=$?
set -e
grep -E '^(Done|stat::number_of_executed_units|SUMMARY)' "$log" || true
if [ "$status" -ne 0 ]; then
  tail -n 40 "$log"
  echo "fuzz: the fuzz target failed (exit $status); the input is in build/host (crash-*)" >&2
  exit 1
fi

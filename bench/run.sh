#!/usr/bin/env bash
# run.sh - the reader's benchmark: time per load of a full 20479-byte script
# with 1000 file lines, and instructions per load counted by callgrind
# (the difference between 11 loads and 1 load, divided by 10, so start-up
# costs drop out).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
bin=$ROOT/build/host/parse_bench
cmake --build "$ROOT/build/host" --target parse_bench >/dev/null
"$bin" 2000

count() {
  local out
  out=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null "$bin" "$1" 2>&1)
  echo "$out" | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
one=$(count 1)
eleven=$(count 11)
echo "instructions per load (callgrind): $(( (eleven - one) / 10 ))"

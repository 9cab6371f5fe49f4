#!/usr/bin/env bash
# interrupt-test.sh SETUPDIST - an interrupted run (SIGINT, then SIGTERM)
# leaves no OUT-FOLDER behind, and a rerun into it succeeds.
set -um     # job control: a background job gets SIGINT as a foreground one
dist=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
printf 'MZ fake' >SETUP.EXE
printf '[App]\nAppName=T\nDefDir=C:\\T\\\nDefPMGroup=,T\n' >T.TPL
mkdir -p app/sub
head -c 20000000 /dev/urandom >app/sub/A.BIN
cp app/sub/A.BIN app/sub/B.BIN
cp app/sub/A.BIN app/C.BIN
for signal in INT TERM; do
  "$dist" --setup-exe SETUP.EXE T.TPL app out >/dev/null 2>&1 &
  pid=$!
  # Once the run has begun writing, it is interrupted.
  for _ in $(seq 1000); do [ -d out ] && break; sleep 0.01; done
  kill -"$signal" "$pid"
  wait "$pid"
  rc=$?
  [ "$rc" -eq 2 ] || { echo "SIG$signal: exit $rc, want 2"; exit 1; }
  [ ! -e out ] || { echo "SIG$signal: out is left behind"; exit 1; }
done
"$dist" --setup-exe SETUP.EXE T.TPL app out >/dev/null || { echo "the rerun fails"; exit 1; }
[ -f out/SETUP.INF ] || { echo "the rerun made no SETUP.INF"; exit 1; }
echo "interrupt-test: both interrupts cleaned up, the rerun works"

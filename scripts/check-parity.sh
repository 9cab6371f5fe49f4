#!/usr/bin/env bash
# check-parity.sh CHECKER.EXE DATA_DIR - the cross-built setupinf-check.exe
# under Wine must print the same JSON and exit code as the host checker for
# every DATA_DIR/*/SETUP.INF: one reader, two platform layers.
set -u
exe=$1
data=$2
root=$(cd "$(dirname "$0")/.." && pwd)
host=${HOST_CHECK:-$root/build/host/setupinf-check}
[ -x "$host" ] || { echo "check-parity: no host checker at $host" >&2; exit 1; }
source "$root/scripts/wine-env.sh"
n=0; bad=0
for inf in "$data"/*/SETUP.INF; do
  want=$("$host" --json "$inf"); want_rc=$?
  got=$("$root/scripts/wine-run.sh" "$exe" --json "$(winepath -w "$inf" 2>/dev/null)"); got_rc=$?
  got=${got//$'\r'/}
  n=$((n + 1))
  if [ "$want" != "$got" ] || [ "$want_rc" != "$got_rc" ]; then
    echo "check-parity: $inf differs (host rc $want_rc, wine rc $got_rc)"
    echo "  host: $want"; echo "  wine: $got"
    bad=$((bad + 1))
  fi
done
echo "check-parity: $n scripts, $bad differ"
[ "$n" -gt 0 ] && [ "$bad" -eq 0 ]

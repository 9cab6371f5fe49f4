#!/usr/bin/env bash
# check-parity.sh CHECKER.EXE DATA_DIR DEMO_DIR - the cross-built setupinf-check.exe
# under Wine must print the same as the host checker, and exit with the same
# code, for every DATA_DIR/*/SETUP.INF: the JSON database and the findings
# list. One reader, two platform layers. The demo distribution the build
# lays out (DEMO_DIR) must check clean with both.
set -u
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
data=$2
demo_dir=$3
root=$(cd "$(dirname "$0")/.." && pwd)
host=${HOST_CHECK:-$root/build/host/setupinf-check}
[ -x "$host" ] || { echo "check-parity: no host checker at $host" >&2; exit 1; }
source "$root/scripts/wine-env.sh"
n=0; bad=0

# compare WHAT DIR ARGS...: runs both checkers in DIR on SETUP.INF.
compare() {
  local what=$1 dir=$2; shift 2
  local want got want_rc got_rc
  want=$(cd "$dir" && "$host" "$@" SETUP.INF); want_rc=$?
  got=$(cd "$dir" && "$root/scripts/wine-run.sh" "$exe" "$@" SETUP.INF); got_rc=$?
  got=${got//$'\r'/}
  # Findings quote the script: the host checker shows them in the terminal's
  # encoding (UTF-8 here), the Windows one in the console's code page 936.
  # The JSON is ASCII on both.
  [ "$what" = findings ] && got=$(printf '%s' "$got" | iconv -f CP936 -t UTF-8)
  n=$((n + 1))
  if [ "$want" != "$got" ] || [ "$want_rc" != "$got_rc" ]; then
    echo "check-parity: $dir $what differs (host rc $want_rc, wine rc $got_rc)"
    echo "  host: $want"; echo "  wine: $got"
    bad=$((bad + 1))
  fi
}

for inf in "$data"/*/SETUP.INF; do
  compare json "$(dirname "$inf")" --json
  compare findings "$(dirname "$inf")"
done
compare findings "$demo_dir"
demo=$(cd "$demo_dir" && "$root/scripts/wine-run.sh" "$exe" SETUP.INF); demo_rc=$?
if [ "$demo_rc" != 0 ]; then
  echo "check-parity: the demo does not check clean under Wine (rc $demo_rc): $demo"
  bad=$((bad + 1))
fi
echo "check-parity: $n runs, $bad differ"
[ "$n" -gt 0 ] && [ "$bad" -eq 0 ]

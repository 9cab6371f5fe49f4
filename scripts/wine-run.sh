#!/usr/bin/env bash
# wine-run.sh PROGRAM [ARGS...] - runs a Win32 program under the build's
# Wine prefix with a time limit (WINE_TIMEOUT seconds, default 120); passes
# the program's exit code through (124 on a time-out).
set -u
source "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/.configured" ]; then
  echo "wine-run: no configured Wine prefix at $WINEPREFIX (run scripts/test.sh)" >&2
  exit 125
fi
exec timeout -k 5 "${WINE_TIMEOUT:-120}" "$WINE_CMD" "$@"

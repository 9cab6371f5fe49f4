#!/usr/bin/env bash
# run.sh - builds the program and runs it on the bundled demo distribution.
#
# For now this reads demo/SETUP.INF with the program's own reader and prints
# the install database it makes; the windows of the installation come with
# the installation sequence.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)

"$ROOT/scripts/install-deps.sh"
cmake -S "$ROOT" -B "$ROOT/build/host" >/dev/null
cmake --build "$ROOT/build/host" -j"$(nproc)" --target setupinf-check
"$ROOT/build/host/setupinf-check" --json "$ROOT/demo/SETUP.INF"

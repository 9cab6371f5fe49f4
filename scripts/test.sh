#!/usr/bin/env bash
# test.sh - installs what is missing, builds both trees and runs every test:
# host unit tests, the same under ASan/UBSan, a 60-second fuzz run, and the
# Win32 tests under Wine (headless, on Xvfb).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
JOBS=$(nproc)
FUZZ_SECONDS=${FUZZ_SECONDS:-60}

"$ROOT/scripts/install-deps.sh"

echo "== host build"
cmake -S "$ROOT" -B "$ROOT/build/host" >/dev/null
cmake --build "$ROOT/build/host" -j"$JOBS"
ctest --test-dir "$ROOT/build/host" --timeout 180 -j"$JOBS" --output-on-failure

echo "== fuzz ($FUZZ_SECONDS s)"
"$ROOT/scripts/fuzz.sh" "$FUZZ_SECONDS"

echo "== target build"
cmake -S "$ROOT" -B "$ROOT/build/win" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$ROOT/build/win" -j"$JOBS"

echo "== Win32 tests under Wine"
source "$ROOT/scripts/wine-env.sh"
wine_prefix_init
trap wine_session_stop EXIT
wine_session_start
ctest --test-dir "$ROOT/build/win" --timeout 300 --output-on-failure

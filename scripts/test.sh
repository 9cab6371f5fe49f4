#!/usr/bin/env bash
# test.sh - installs what is missing, builds every tree and runs every test:
# host unit tests, the same under ASan/UBSan, a 60-second fuzz run, the
# shipped i686 SETUP.EXE checked as a file, the publisher's kit (its .deb
# and zip made and used), and the Win32 tests under Wine
# (headless, on Xvfb): against the i686 build where this machine runs
# 32-bit programs, and against the x86-64 build in any case, so that path
# stays sound for the machines that need it.
#
# SETUP_WIN_ARCH=i686|x86_64 overrides the choice of the first build (on a
# machine that runs 32-bit programs, x86_64 leaves the i686 Wine tests out).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
JOBS=$(nproc)
FUZZ_SECONDS=${FUZZ_SECONDS:-60}
source "$ROOT/scripts/build-env.sh"

"$ROOT/scripts/install-deps.sh"

step "host build"
cmake -S "$ROOT" -B "$ROOT/build/host" >/dev/null
cmake --build "$ROOT/build/host" -j"$JOBS"
ctest --test-dir "$ROOT/build/host" --timeout 180 -j"$JOBS" --output-on-failure

step "fuzz ($FUZZ_SECONDS s)"
"$ROOT/scripts/fuzz.sh" "$FUZZ_SECONDS"

step "target build, i686 (the shipped SETUP.EXE)"
configure_win i686
cmake --build "$ROOT/build/win" -j"$JOBS"
ctest --test-dir "$ROOT/build/win" --timeout 60 -L linux --output-on-failure

wine_pick_arch
if [ "$SETUP_WIN_ARCH" = i686 ]; then
  echo "test: the Win32 tests run against the i686 build, then the x86-64 build ($WINE_ARCH_WHY)"
  run_wine_tests "$ROOT/build/win"
else
  echo "test: the Win32 tests run against the x86-64 build only ($WINE_ARCH_WHY)"
fi

step "the publisher's kit (.deb and zip, used as a publisher does)"
cmake -S "$ROOT" -B "$ROOT/build/kit" -DSETUP_TOOLS_ONLY=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$ROOT/build/kit" -j"$JOBS"
quiet cmake --build "$ROOT/build/kit" --target package
"$ROOT/tests/kit/kit-test.sh" "$ROOT/build/kit" "$ROOT/build/win" </dev/null
step "setupdist --try (the kit's trial installation and its report page)"
"$ROOT/tests/kit/try-test.sh" "$ROOT/build/kit" "$ROOT/build/win" </dev/null

step "target build, x86-64"
configure_win x86_64
cmake --build "$ROOT/build/win64" -j"$JOBS"
run_wine_tests "$ROOT/build/win64"

#!/usr/bin/env bash
# run.sh - builds SETUP.EXE and the demo distribution (build/win/demo) and
# installs the demo under Wine, in the build's own prefix.
#
# With a display (DISPLAY set) the installation's windows are shown and
# you click through them yourself. Without one the kit's setupdist --try
# installs the demo in a throw-away Wine prefix on Xvfb, walking through it
# as a user would (Install, the default folder, OK, the copy, the group,
# the final message), checks every file, folder and item, and writes a
# report page with a picture of every window: build/win/demo.try/index.html.
#
# It also builds the demo as one file, build/win/demo-setup.exe (setupdist
# --single-file), from the demo's template without its (S) item line
# "重新安装": that item runs SETUP.EXE from the distribution's folder, and
# the one file unpacks into a temporary folder that is removed afterwards.
#
# On a machine that cannot run 32-bit programs the same sources are built
# for x86-64 (build/win64) and installed under 64-bit Wine instead;
# SETUP_WIN_ARCH=i686|x86_64 overrides the choice.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/build-env.sh"

"$ROOT/scripts/install-deps.sh"
if [ -z "${DISPLAY:-}" ]; then
  # The demo, and the kit whose setupdist --try installs it.
  configure_win i686
  step "the demo and the kit"
  quiet cmake --build "$ROOT/build/win" -j"$(nproc)" --target demo
  cmake -S "$ROOT" -B "$ROOT/build/kit" -DSETUP_TOOLS_ONLY=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
  quiet cmake --build "$ROOT/build/kit" -j"$(nproc)"
  step "setupdist --try build/win/demo"
  "$ROOT/build/kit/setupdist" --try "$ROOT/build/win/demo" </dev/null
  echo "run: the report of the demo's installation: $ROOT/build/win/demo.try/index.html"
  echo "run: the demo as one file is $ROOT/build/win/demo-setup.exe ($(stat -c %s "$ROOT/build/win/demo-setup.exe") bytes)," \
    "made from demo/SETUP.TPL without its (S) item line \"重新安装\", which cannot work from the temporary folder" \
    "the one file unpacks into"
  exit 0
fi

# With a display: the build this machine runs, and the user clicks.
wine_pick_arch
if [ "$SETUP_WIN_ARCH" = i686 ]; then
  BUILD_WIN=$ROOT/build/win
  echo "run: installing the demo with the i686 SETUP.EXE ($WINE_ARCH_WHY)"
else
  BUILD_WIN=$ROOT/build/win64
  echo "run: installing the demo with the x86-64 build of SETUP.EXE ($WINE_ARCH_WHY)"
fi
configure_win "$SETUP_WIN_ARCH"
quiet cmake --build "$BUILD_WIN" -j"$(nproc)" --target demo

source "$ROOT/scripts/wine-env.sh"
step "Wine session"
wine_prefix_init
at_exit wine_session_stop
wine_session_start
DIST=$BUILD_WIN/demo
ONEFILE=$BUILD_WIN/demo-setup.exe
echo "run: starting SETUP.EXE of $DIST on display $DISPLAY"
(cd "$DIST" && wine SETUP.EXE)
echo "run: the prefix's C: drive is $WINEPREFIX/drive_c (the demo's default folder is C:\\DEMO\\)"
echo "run: the demo as one file is $ONEFILE ($(stat -c %s "$ONEFILE") bytes), made from demo/SETUP.TPL" \
  "without its (S) item line \"重新安装\", which cannot work from the temporary folder the one file unpacks into"
echo "run: to install the demo from it: BUILD_WIN=$BUILD_WIN WINE_TIMEOUT=0 scripts/wine-run.sh $ONEFILE"

#!/usr/bin/env bash
# run.sh - builds SETUP.EXE and the demo distribution (build/win/demo) and
# installs the demo under Wine, in the build's own prefix.
#
# With a display (DISPLAY set) the installation's windows are shown and
# you click through them yourself. Without one it runs on Xvfb and walks
# through the installation as a user would (Install, the default folder,
# OK, the copy, the group), saves a screenshot of every step into
# build/win/demo-screenshots and prints where the application was
# installed and which Program Manager group and items were made.
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
wine_pick_arch
if [ "$SETUP_WIN_ARCH" = i686 ]; then
  BUILD_WIN=$ROOT/build/win
  echo "run: installing the demo with the i686 SETUP.EXE ($WINE_ARCH_WHY)"
else
  BUILD_WIN=$ROOT/build/win64
  echo "run: installing the demo with the x86-64 build of SETUP.EXE ($WINE_ARCH_WHY)"
fi
configure_win "$SETUP_WIN_ARCH"
quiet cmake --build "$BUILD_WIN" -j"$(nproc)" --target demo demo_walk

source "$ROOT/scripts/wine-env.sh"
step "Wine session"
wine_prefix_init
at_exit wine_session_stop
wine_session_start
DIST=$BUILD_WIN/demo
ONEFILE=$BUILD_WIN/demo-setup.exe
say_onefile() {
  echo "run: the demo as one file is $ONEFILE ($(stat -c %s "$ONEFILE") bytes), made from demo/SETUP.TPL" \
    "without its (S) item line \"重新安装\", which cannot work from the temporary folder the one file unpacks into"
}
# The walk's output is printed through the terminal as it comes.
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }

if [ -n "$WINE_USER_DISPLAY" ]; then
  echo "run: starting SETUP.EXE of $DIST on display $DISPLAY"
  (cd "$DIST" && wine SETUP.EXE)
  echo "run: the prefix's C: drive is $WINEPREFIX/drive_c (the demo's default folder is C:\\DEMO\\)"
  say_onefile
  echo "run: to install the demo from it: BUILD_WIN=$BUILD_WIN WINE_TIMEOUT=0 scripts/wine-run.sh $ONEFILE"
  exit 0
fi

SHOTS=$BUILD_WIN/demo-screenshots
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
start=$(date +%s.%N)
set +e
"$ROOT/scripts/wine-run.sh" "$BUILD_WIN/demo_walk.exe" "$(winepath -w "$DIST")" \
  "$(winepath -w "$SHOTS")" | tr -d '\r' | tee "$SHOTS/walk.txt"
rc=${PIPESTATUS[0]}
set -e
end=$(date +%s.%N)
for bmp in "$SHOTS"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "run: screenshots of every step are in $SHOTS"
say_onefile
if [ "$rc" -ne 0 ]; then
  echo "run: the demo installation did not complete (exit code $rc)" >&2
  exit 1
fi
dest=$(sed -n 's/^installed to: //p' "$SHOTS/walk.txt")
echo "run: the demo application was installed to $dest, which is $(unix_path "$dest")"
awk -v a="$start" -v b="$end" 'BEGIN { printf "run: the walk through the installation took %.1f s\n", b - a }'

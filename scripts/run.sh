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
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)

"$ROOT/scripts/install-deps.sh"
cmake -S "$ROOT" -B "$ROOT/build/win" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$ROOT/build/win" -j"$(nproc)" --target demo demo_walk >/dev/null

source "$ROOT/scripts/wine-env.sh"
wine_prefix_init
trap wine_session_stop EXIT
wine_session_start
DIST=$ROOT/build/win/demo
# The walk's output is printed through the terminal as it comes.
unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }

if [ -n "$WINE_USER_DISPLAY" ]; then
  echo "run: starting SETUP.EXE of $DIST on display $DISPLAY"
  (cd "$DIST" && wine SETUP.EXE)
  echo "run: the prefix's C: drive is $WINEPREFIX/drive_c (the demo's default folder is C:\\DEMO\\)"
  exit 0
fi

SHOTS=$ROOT/build/win/demo-screenshots
rm -rf "$SHOTS"
mkdir -p "$SHOTS"
start=$(date +%s.%N)
set +e
"$ROOT/scripts/wine-run.sh" "$ROOT/build/win/demo_walk.exe" "$(winepath -w "$DIST")" \
  "$(winepath -w "$SHOTS")" | tr -d '\r' | tee "$SHOTS/walk.txt"
rc=${PIPESTATUS[0]}
set -e
end=$(date +%s.%N)
for bmp in "$SHOTS"/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "run: screenshots of every step are in $SHOTS"
if [ "$rc" -ne 0 ]; then
  echo "run: the demo installation did not complete (exit code $rc)" >&2
  exit 1
fi
dest=$(sed -n 's/^installed to: //p' "$SHOTS/walk.txt")
echo "run: the demo application was installed to $dest, which is $(unix_path "$dest")"
awk -v a="$start" -v b="$end" 'BEGIN { printf "run: the walk through the installation took %.1f s\n", b - a }'

#!/usr/bin/env bash
# splash-test.sh SETUP.EXE - the please-wait dialog shows its text while the
# script is read. A wildcard line over 120,000 files keeps it up for a
# second or so under Wine. Bands across the middle of the screen are
# grabbed until the backdrop covers the desktop's left edge; the bands
# that show the dialog (its light face in the middle) must show its dark
# text.
set -euo pipefail
exe=$(readlink -f "$1")
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
dir=$(dirname "$exe")/splash
fail() { echo "splash-test: $*" >&2; exit 1; }

rm -rf "$dir"
mkdir -p "$dir/many" "$dir/bands"
(cd "$dir/many" && seq -f 'F%06g.DAT' 1 120000 | xargs touch)
cp "$exe" "$dir/SETUP.EXE"
printf '[App]\r\nAppName=Splash\r\nDefDir=C:\\SPLASH\\\r\nSpaceNeeded=1\r\n[SrcDirs]\r\n1=many\r\n[DstDirs]\r\n1=\r\n[Files]\r\n*1-1,\r\n[End]\r\n' \
  > "$dir/SETUP.INF"

read -r cx cy < <(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p')
grab() { import -window root -crop "${cx}x50+0+$((cy / 2 - 25))" +repage "$1"; }
edge() { convert "$1" -format '%[hex:p{5,25}]' info:; }
# share BAND SHADE [negate] - the share of the band's middle 300 pixels
# lighter than SHADE, or darker with "negate".
share() {
  convert "$1" -gravity center -crop 300x50+0+0 +repage -colorspace gray -threshold "$2" ${3:+-negate} \
    -format '%[fx:mean]' info:
}

grab "$dir/desktop.ppm"
desktop=$(edge "$dir/desktop.ppm")
(cd "$dir" && exec "$scripts/wine-run.sh" SETUP.EXE) &
pid=$! start=$SECONDS
trap 'kill $pid 2>/dev/null || true; wait $pid 2>/dev/null || true; rm -rf "$dir"' EXIT
# A minute, not 300 grabs (about ten seconds), which once ran out with
# no backdrop; the failure says whether SETUP.EXE was still at work.
n=0 covered=
while [ -z "$covered" ] && [ $SECONDS -lt $((start + 60)) ]; do
  n=$((n + 1))
  grab "$dir/bands/$n.ppm"
  [ "$(edge "$dir/bands/$n.ppm")" = "$desktop" ] || covered=1
done
[ -n "$covered" ] || fail "the backdrop never covered the desktop ($desktop) in 60 s and $n grabs; SETUP.EXE $(kill -0 $pid 2>/dev/null && echo "still runs" || echo "had ended")"

# The text must reach the screen while the script is read: Wine may show
# the dialog's face a little before the painted text, so not every band
# need hold it, but one must (30 dark pixels at least).
seen=0 text=0
for i in $(seq $((n - 1))); do
  awk -v l="$(share "$dir/bands/$i.ppm" 85%)" 'BEGIN { exit !(l > 0.5) }' || continue
  seen=$((seen + 1))
  awk -v d="$(share "$dir/bands/$i.ppm" 25% negate)" 'BEGIN { exit !(d * 15000 >= 30) }' && text=$((text + 1))
done
[ $seen -gt 1 ] || fail "the please-wait dialog was seen $seen times: too briefly to tell"
[ $text -gt 0 ] || fail "the please-wait dialog was seen $seen times, never with its text"
echo "splash-test: the please-wait dialog was seen $seen times, $text of them with its text"

#!/usr/bin/env bash
# copy-bench.sh - the copy step against cp -r and Wine's xcopy.
#
# A payload of 1000 files (about 100 MB; a tenth of them SZDD-compressed
# with mscompress) is made once in build/bench/dist/payload. The same tree
# is copied three ways, interleaved over ROUNDS rounds (default 3), into
# fresh folders that are deleted only at the end: SETUP.EXE's copy step
# under Wine, cp -r on Linux, and Wine's xcopy. Prints the median of each
# and the ratios copy step / cp -r and copy step / xcopy; the copy step's
# time leaves SETUP.EXE's start out, so xcopy of an empty folder is timed
# too and a ratio to xcopy less that start is given as well. Creating
# files is slower for a few minutes after many were deleted: leave a pause
# between two runs.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROUNDS=${ROUNDS:-3}
BENCH=$ROOT/build/bench
PAYLOAD=$BENCH/dist/payload

cmake --build "$ROOT/build/win" --target setup copy_bench >/dev/null
source "$ROOT/scripts/wine-env.sh"
wine_prefix_init
trap wine_session_stop EXIT
wine_session_start

if [ ! -f "$BENCH/dist/.ready" ]; then
  echo "copy-bench: making the payload (once)"
  rm -rf "$BENCH/dist"
  mkdir -p "$PAYLOAD" "$BENCH/lz"
  perl -e 'for my $i (0..899) { srand($i); open(my $f, ">", sprintf("%s/P%03d.BIN", $ARGV[0], $i)) or die;
           binmode $f; print $f pack("N*", map { int(rand(4294967296)) } 1..25600); close $f }' "$PAYLOAD"
  perl -e 'for my $i (0..99) { open(my $f, ">", sprintf("%s/C%03d.TXT", $ARGV[0], $i)) or die;
           for my $l (1..1600) { print $f "file $i line $l: some text that compresses fairly well\r\n" } close $f }' "$BENCH/lz"
  (cd "$BENCH/lz" && mscompress C*.TXT && for f in C*.TXT_; do mv "$f" "$PAYLOAD/${f%.TXT_}.TX_"; done)
  printf '[App]\r\nAppName=CopyBench\r\nDefDir=C:\\BENCH\\\r\nSpaceNeeded=1\r\nInstallToHD=Yes\r\n[SrcDirs]\r\n1=payload\r\n[DstDirs]\r\n1=\r\n[Files]\r\n*1-1,\r\n[End]\r\n' > "$BENCH/dist/SETUP.INF"
  touch "$BENCH/dist/.ready"
fi
cp "$ROOT/build/win/SETUP.EXE" "$BENCH/dist/"
echo "payload: $(ls "$PAYLOAD" | wc -l) files, $(du -sm "$PAYLOAD" | cut -f1) MB"

out=$BENCH/out
rm -rf "$out"
mkdir -p "$out"
ln -sfn "$out" "$WINEPREFIX/dosdevices/b:"
# Warm the sources once.
cat "$PAYLOAD"/* > /dev/null

# Windows paths are worked out before the timing: winepath starts Wine.
dist_w=$(winepath -w "$BENCH/dist")
payload_w=$(winepath -w "$PAYLOAD")
mkdir -p "$BENCH/empty"
empty_w=$(winepath -w "$BENCH/empty")

setup_t=(); cp_t=(); xcopy_t=(); start_t=()
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { print b - a }'; }
for r in $(seq "$ROUNDS"); do
  # Each command starts with nothing of the previous one waiting to be
  # written; the sync itself is not timed.
  sync
  # The Win32 program ends its lines with CR LF.
  t=$("$ROOT/scripts/wine-run.sh" "$ROOT/build/win/copy_bench.exe" "$dist_w" "b:\\setup$r" |
      tr -d '\r' | sed -n 's/copy step: \([0-9.]*\) s/\1/p')
  [ -n "$t" ] || { echo "copy-bench: the copy step did not finish" >&2; exit 1; }
  setup_t+=("$t")
  sync
  a=$(now); cp -r "$PAYLOAD" "$out/cp$r"
  cp_t+=("$(since "$a")")
  sync
  a=$(now); "$ROOT/scripts/wine-run.sh" xcopy /E /I /Q "$payload_w" "b:\\xcopy$r" >/dev/null
  xcopy_t+=("$(since "$a")")
  # xcopy's own start and end, which the copy step's time does not hold.
  a=$(now); "$ROOT/scripts/wine-run.sh" xcopy /E /I /Q "$empty_w" "b:\\empty$r" >/dev/null
  start_t+=("$(since "$a")")
done
# The copy step's files, checked once: plain ones as they are, compressed
# ones expanded (they keep their stored names).
[ "$(ls "$out/setup1" | wc -l)" -eq 1000 ] &&
  cmp -s <(cat "$out/setup1"/P*.BIN) <(cat "$PAYLOAD"/P*.BIN) &&
  cmp -s <(cat "$out/setup1"/C*.TX_) <(cat "$BENCH/lz"/C*.TXT) ||
  { echo "copy-bench: the copy step's files differ from the payload" >&2; exit 1; }
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
s=$(median "${setup_t[@]}"); c=$(median "${cp_t[@]}"); x=$(median "${xcopy_t[@]}"); e=$(median "${start_t[@]}")
printf 'copy step (SETUP.EXE under Wine): %.3f s   (rounds: %s)\n' "$s" "${setup_t[*]}"
printf 'cp -r (Linux):                    %.3f s   (rounds: %s)\n' "$c" "${cp_t[*]}"
printf 'xcopy (Wine):                     %.3f s   (rounds: %s)\n' "$x" "${xcopy_t[*]}"
printf 'xcopy of an empty folder:         %.3f s   (rounds: %s)\n' "$e" "${start_t[*]}"
awk -v s="$s" -v c="$c" -v x="$x" -v e="$e" 'BEGIN {
  printf "ratio copy step / cp -r: %.1f   copy step / xcopy: %.2f   (xcopy less its start: %.2f)\n", s / c, s / x, s / (x - e) }'
rm -rf "$out"

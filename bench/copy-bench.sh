#!/usr/bin/env bash
# copy-bench.sh - the copy step against cp -r and Wine's xcopy.
#
# A payload of 1000 files (about 100 MB; a tenth of them SZDD-compressed
# with mscompress) is made once in build/bench/payload. The same tree is
# copied three ways, interleaved over ROUNDS rounds (default 3), into fresh
# folders that are deleted only at the end: SETUP.EXE's copy step under
# Wine, cp -r on Linux, and Wine's xcopy. Prints the median of each and
# the ratios copy step / cp -r and copy step / xcopy.
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

setup_t=(); cp_t=(); xcopy_t=()
now() { date +%s.%N; }
for r in $(seq "$ROUNDS"); do
  t=$("$ROOT/scripts/wine-run.sh" "$ROOT/build/win/copy_bench.exe" "$(winepath -w "$BENCH/dist")" "b:\\setup$r" | sed -n 's/copy step: \([0-9.]*\) s/\1/p')
  [ -n "$t" ] || { echo "copy-bench: the copy step did not finish" >&2; exit 1; }
  setup_t+=("$t")
  a=$(now); cp -r "$PAYLOAD" "$out/cp$r"; sync -f "$out" 2>/dev/null || true; b=$(now)
  cp_t+=("$(awk -v a="$a" -v b="$b" 'BEGIN { print b - a }')")
  a=$(now); "$ROOT/scripts/wine-run.sh" xcopy /E /I /Q "$(winepath -w "$PAYLOAD")" "b:\\xcopy$r" >/dev/null; b=$(now)
  xcopy_t+=("$(awk -v a="$a" -v b="$b" 'BEGIN { print b - a }')")
done
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
s=$(median "${setup_t[@]}"); c=$(median "${cp_t[@]}"); x=$(median "${xcopy_t[@]}")
printf 'copy step (SETUP.EXE under Wine): %.3f s   (rounds: %s)\n' "$s" "${setup_t[*]}"
printf 'cp -r (Linux):                    %.3f s   (rounds: %s)\n' "$c" "${cp_t[*]}"
printf 'xcopy (Wine):                     %.3f s   (rounds: %s)\n' "$x" "${xcopy_t[*]}"
awk -v s="$s" -v c="$c" -v x="$x" 'BEGIN { printf "ratio copy step / cp -r: %.1f   copy step / xcopy: %.2f\n", s / c, s / x }'
rm -rf "$out"

#!/usr/bin/env bash
# copy-bench.sh - the copy step against cp -r and Wine's xcopy, for each
# build the machine runs: the i686 one where 32-bit programs run, and the
# x86-64 one (SETUP_WIN_ARCH=i686|x86_64 benches that build alone).
#
# A payload of 1000 files (about 100 MB; a tenth of them SZDD-compressed
# with mscompress) is made once in build/bench/payload. For each build the
# same tree is copied three ways, interleaved over ROUNDS rounds (default
# 3), into fresh folders that are deleted only at the end: SETUP.EXE's
# copy step under Wine, cp -r on Linux, and Wine's xcopy. Prints the
# median of each, the ratios copy step / cp -r and copy step / xcopy, and
# the time from SETUP.EXE's start to its welcome dialog on screen. Creating
# files is slower for a few minutes after many were deleted: leave a pause
# between two runs.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROUNDS=${ROUNDS:-3}
BENCH=$ROOT/build/bench
PAYLOAD=$BENCH/payload
source "$ROOT/scripts/build-env.sh"

if [ ! -f "$BENCH/.ready" ]; then
  echo "copy-bench: making the payload (once)"
  rm -rf "$BENCH"
  mkdir -p "$PAYLOAD" "$BENCH/lz"
  perl -e 'for my $i (0..899) { srand($i); open(my $f, ">", sprintf("%s/P%03d.BIN", $ARGV[0], $i)) or die;
           binmode $f; print $f pack("N*", map { int(rand(4294967296)) } 1..25600); close $f }' "$PAYLOAD"
  perl -e 'for my $i (0..99) { open(my $f, ">", sprintf("%s/C%03d.TXT", $ARGV[0], $i)) or die;
           for my $l (1..1600) { print $f "file $i line $l: some text that compresses fairly well\r\n" } close $f }' "$BENCH/lz"
  (cd "$BENCH/lz" && mscompress C*.TXT && for f in C*.TXT_; do mv "$f" "$PAYLOAD/${f%.TXT_}.TX_"; done)
  touch "$BENCH/.ready"
fi
echo "payload: $(ls "$PAYLOAD" | wc -l) files, $(du -sLm "$PAYLOAD" | cut -f1) MB"

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { print b - a }'; }

# bench_build ARCH - the rounds for one build, in its own Wine session.
bench_build() (
  local arch=$1 tree=$ROOT/build/win
  [ "$arch" = x86_64 ] && tree=$ROOT/build/win64
  step "copy step of the $arch build ($tree)"
  configure_win "$arch"
  quiet cmake --build "$tree" -j"$(nproc)" --target setup copy_bench
  BUILD_WIN=$tree
  source "$ROOT/scripts/wine-env.sh"
  wine_prefix_init
  trap wine_session_stop EXIT
  wine_session_start

  local dist=$BENCH/dist-$arch out=$BENCH/out-$arch
  rm -rf "$dist" "$out"
  mkdir -p "$dist" "$out" "$BENCH/empty"
  ln -s "$PAYLOAD" "$dist/payload"
  cp "$tree/SETUP.EXE" "$dist/"
  printf '[App]\r\nAppName=CopyBench\r\nDefDir=C:\\BENCH\\\r\nSpaceNeeded=1\r\nInstallToHD=Yes\r\n[SrcDirs]\r\n1=payload\r\n[DstDirs]\r\n1=\r\n[Files]\r\n*1-1,\r\n[End]\r\n' > "$dist/SETUP.INF"
  ln -sfn "$out" "$WINEPREFIX/dosdevices/b:"
  # Warm the sources once; Windows paths are worked out before the timing
  # (winepath starts Wine).
  cat "$PAYLOAD"/* > /dev/null
  local dist_w payload_w empty_w
  dist_w=$(winepath -w "$dist")
  payload_w=$(winepath -w "$PAYLOAD")
  empty_w=$(winepath -w "$BENCH/empty")

  local setup_t=() cp_t=() xcopy_t=() start_t=() welcome_t=() r a t
  for r in $(seq "$ROUNDS"); do
    # Each command starts with nothing of the previous one waiting to be
    # written; the sync itself is not timed. The Win32 program ends its
    # lines with CR LF.
    sync
    t=$("$ROOT/scripts/wine-run.sh" "$tree/copy_bench.exe" "$dist_w" "b:\\setup$r" | tr -d '\r')
    grep -q '^copy step: ' <<<"$t" || { echo "copy-bench: the copy step did not finish" >&2; exit 1; }
    setup_t+=("$(sed -n 's/^copy step: \([0-9.]*\) s/\1/p' <<<"$t")")
    welcome_t+=("$(sed -n 's/^welcome: \([0-9.]*\) s/\1/p' <<<"$t")")
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
  # ones expanded (they keep their stored names), dates as the sources'.
  [ "$(ls "$out/setup1" | wc -l)" -eq 1000 ] &&
    cmp -s <(cat "$out/setup1"/P*.BIN) <(cat "$PAYLOAD"/P*.BIN) &&
    cmp -s <(cat "$out/setup1"/C*.TX_) <(cat "$BENCH/lz"/C*.TXT) &&
    [ "$(cd "$out/setup1" && stat -c '%n %Y' * | md5sum)" = "$(cd "$PAYLOAD" && stat -c '%n %Y' * | md5sum)" ] ||
    { echo "copy-bench: the copy step's files differ from the payload" >&2; exit 1; }
  local s c x e w
  s=$(median "${setup_t[@]}"); c=$(median "${cp_t[@]}"); x=$(median "${xcopy_t[@]}")
  e=$(median "${start_t[@]}"); w=$(median "${welcome_t[@]}")
  printf '%s copy step (SETUP.EXE under Wine): %.3f s   (rounds: %s)\n' "$arch" "$s" "${setup_t[*]}"
  printf '%s cp -r (Linux):                    %.3f s   (rounds: %s)\n' "$arch" "$c" "${cp_t[*]}"
  printf '%s xcopy (Wine):                     %.3f s   (rounds: %s)\n' "$arch" "$x" "${xcopy_t[*]}"
  printf '%s xcopy of an empty folder:         %.3f s   (rounds: %s)\n' "$arch" "$e" "${start_t[*]}"
  printf '%s start to welcome dialog:          %.3f s   (rounds: %s)\n' "$arch" "$w" "${welcome_t[*]}"
  awk -v a="$arch" -v s="$s" -v c="$c" -v x="$x" -v e="$e" 'BEGIN {
    printf "%s ratio copy step / cp -r: %.1f   copy step / xcopy: %.2f   (xcopy less its start: %.2f)\n", a, s / c, s / x, s / (x - e) }'
  rm -rf "$out"
)

wine_pick_arch
if [ "$WINE_ARCH_WHY" = "chosen by SETUP_WIN_ARCH" ]; then
  bench_build "$SETUP_WIN_ARCH"
elif [ "$SETUP_WIN_ARCH" = i686 ]; then
  bench_build i686
  bench_build x86_64
else
  echo "copy-bench: the x86-64 build only ($WINE_ARCH_WHY)"
  bench_build x86_64
fi

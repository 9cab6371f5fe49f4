#!/usr/bin/env bash
# copy-bench.sh - the copy step against cp -r and Wine's xcopy, and the
# welcome dialog against a program that only shows one window, for each
# build the machine runs: the i686 one where 32-bit programs run, and the
# x86-64 one (SETUP_WIN_ARCH=i686|x86_64 benches that build alone).
#
# Three payloads, made once in build/bench:
#   mixed  1000 files, about 95 MB, a tenth of them SZDD-compressed
#          (mscompress)
#   small  2000 files of 1 KB, in two folders of 1000: SETUP.EXE's file
#          table holds 1000, so the copy step's time is that of two
#          installations, one a folder, added up
#   large  10 files of 50 MB, half of them compressed (the builder's own
#          compressor: mscompress takes half a minute for each)
# For each payload the same tree is copied, interleaved over ROUNDS rounds
# (default 5), into fresh folders deleted only after the payload's last
# round: SETUP.EXE's copy step under Wine (a fresh install), cp -r on
# Linux, Wine's xcopy; then the copy step and xcopy /Y again over their
# own first copies (a reinstall: every file replaced). Each round also
# starts SETUP.EXE up to its welcome dialog, the one-window program up to
# its window, and the same program up to the last of three bare windows
# (a small one shown and destroyed, one over the whole screen, then its
# window: the windows SETUP.EXE shows up to its welcome), each after a
# pause of half a second (a program started while the desktop still
# handles the end of the one before is slowed by it). Prints for each the
# median and the spread of the rounds, the ratios taken from the medians,
# and the machine's load before and after. Creating files is slower for a
# few minutes after many were deleted: leave a pause between two runs.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROUNDS=${ROUNDS:-5}
BENCH=$ROOT/build/bench
source "$ROOT/scripts/build-env.sh"

make_payloads() {
  [ -f "$BENCH/.ready-4" ] && return 0
  echo "copy-bench: making the payloads (once)"
  rm -rf "$BENCH"
  mkdir -p "$BENCH/mixed" "$BENCH/small" "$BENCH/large" "$BENCH/lz"
  perl -e 'for my $i (0..899) { srand($i); open(my $f, ">", sprintf("%s/P%03d.BIN", $ARGV[0], $i)) or die;
           binmode $f; print $f pack("N*", map { int(rand(4294967296)) } 1..25600); close $f }' "$BENCH/mixed"
  perl -e 'for my $i (0..99) { open(my $f, ">", sprintf("%s/C%03d.TXT", $ARGV[0], $i)) or die;
           for my $l (1..1600) { print $f "file $i line $l: some text that compresses fairly well\r\n" } close $f }' "$BENCH/lz"
  (cd "$BENCH/lz" && mscompress C*.TXT && for f in C*.TXT_; do mv "$f" "$BENCH/mixed/${f%.TXT_}.TX_"; done)
  mkdir -p "$BENCH/small/a" "$BENCH/small/b"
  perl -e 'for my $i (0..1999) { srand($i); open(my $f, ">", sprintf("%s/%s/S%04d.DAT", $ARGV[0], $i < 1000 ? "a" : "b", $i))
           or die; binmode $f; print $f pack("N*", map { int(rand(4294967296)) } 1..256); close $f }' "$BENCH/small"
  local i
  for i in 0 1 2 3 4; do
    head -c 52428800 /dev/urandom > "$BENCH/large/R$i.BIN"
    perl -e 'my $n = 0; while ($n < 52428800) { my $l = sprintf("record %09d of a large file that compresses well\r\n", $n);
             $l = substr($l, 0, 52428800 - $n); print $l; $n += length $l }' > "$BENCH/lz/L$i.DAT"
  done
  cmake -S "$ROOT" -B "$ROOT/build/host" >/dev/null
  quiet cmake --build "$ROOT/build/host" -j"$(nproc)" --target szdd_bench
  "$ROOT/build/host/szdd_bench" "$BENCH"/lz/L?.DAT
  for i in 0 1 2 3 4; do mv "$BENCH/lz/L$i.DAT_" "$BENCH/large/L$i.DA_"; done
  touch "$BENCH/.ready-4"
}

median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
spread() { printf '%s\n' "$@" | sort -g | awk 'NR==1{lo=$1} {hi=$1} END {printf "%.3f-%.3f", lo, hi}'; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

# report NAME VALUES... - one line: the median and the spread of the rounds.
report() {
  local name=$1
  shift
  printf '  %-34s %.3f s  (spread %s; rounds %s)\n' "$name" "$(median "$@")" "$(spread "$@")" "$*"
}

# copy_step DESTDIR - SETUP.EXE's copy step of every part of the payload
# into DESTDIR (a part's folder below it when there are two): prints the
# times added up.
copy_step() {
  local total=0 part t
  for part in "${parts[@]}"; do
    t=$("$ROOT/scripts/wine-run.sh" "$bench_exe" "$(winepath -w "$dist/$part")" "$1${part:+\\$part}" | tr -d '\r')
    grep -q '^copy step: ' <<<"$t" || { echo "copy-bench: the copy step did not finish" >&2; exit 1; }
    total=$(awk -v a="$total" -v b="$(sed -n 's/^copy step: \([0-9.]*\) s/\1/p' <<<"$t")" 'BEGIN { printf "%.3f", a + b }')
  done
  echo "$total"
}

# first_window WHAT ARG - the time copy_bench --WHAT ARG prints, after a
# pause in which the desktop settles from the program before: the two
# programs timed to their first window are then timed alike.
first_window() {
  sleep 0.5
  "$ROOT/scripts/wine-run.sh" "$bench_exe" "--$1" "$2" | tr -d '\r' | sed -n 's/^[a-z ]*: \([0-9.]*\) s/\1/p'
}

# bench_payload ARCH TREE NAME - the rounds of one payload in the running
# Wine session of TREE.
bench_payload() {
  local arch=$1 tree=$2 name=$3
  local payload=$BENCH/$name dist=$BENCH/dist-$arch-$name out=$BENCH/out-$arch part
  local parts=("")
  [ "$name" = small ] && parts=(a b)
  rm -rf "$dist" "$out"
  mkdir -p "$out" "$BENCH/empty"
  for part in "${parts[@]}"; do
    mkdir -p "$dist/$part"
    ln -s "$payload/$part" "$dist/$part/payload"
    cp "$tree/SETUP.EXE" "$dist/$part/"
    printf '[App]\r\nAppName=CopyBench\r\nDefDir=C:\\BENCH\\\r\nSpaceNeeded=1\r\nInstallToHD=Yes\r\n[SrcDirs]\r\n1=payload\r\n[DstDirs]\r\n1=\r\n[Files]\r\n*1-1,\r\n[End]\r\n' > "$dist/$part/SETUP.INF"
  done
  ln -sfn "$out" "$WINEPREFIX/dosdevices/b:"
  # Warm the sources once; Windows paths are worked out before the timing
  # (winepath starts Wine).
  find "$payload" -type f -exec cat {} + > /dev/null
  local payload_w empty_w first_w dist_w bench_exe=$tree/copy_bench.exe
  payload_w=$(winepath -w "$payload")
  empty_w=$(winepath -w "$BENCH/empty")
  first_w=$(winepath -w "$tree/first_window.exe")
  dist_w=$(winepath -w "$dist/${parts[0]}")

  local setup_t=() cp_t=() xcopy_t=() start_t=() welcome_t=() first_t=() three_t=() resetup_t=() rexcopy_t=() r a t
  local load_before
  load_before=$(load)
  for r in $(seq "$ROUNDS"); do
    # Each command starts with nothing of the previous one waiting to be
    # written; the sync itself is not timed. The Win32 programs end their
    # lines with CR LF.
    # The destination dialog makes one folder level: a part's folder
    # needs its parent.
    [ -n "${parts[0]}" ] && mkdir -p "$out/setup$r"
    sync
    setup_t+=("$(copy_step "b:\\setup$r")")
    sync
    a=$(now); cp -r "$payload" "$out/cp$r"
    cp_t+=("$(since "$a")")
    sync
    a=$(now); "$ROOT/scripts/wine-run.sh" xcopy /E /I /Q "$payload_w" "b:\\xcopy$r" >/dev/null
    xcopy_t+=("$(since "$a")")
    # xcopy's own start and end, which the copy step's time does not hold.
    a=$(now); "$ROOT/scripts/wine-run.sh" xcopy /E /I /Q "$empty_w" "b:\\empty$r" >/dev/null
    start_t+=("$(since "$a")")
    welcome_t+=("$(first_window welcome "$dist_w")")
    first_t+=("$(first_window first-window "$first_w")")
    three_t+=("$(first_window three-windows "$first_w")")
    [ -n "${welcome_t[-1]}" ] && [ -n "${first_t[-1]}" ] && [ -n "${three_t[-1]}" ] ||
      { echo "copy-bench: a first window was not seen" >&2; exit 1; }
    # The reinstall: every file is there already and is replaced.
    sync
    resetup_t+=("$(copy_step "b:\\setup$r")")
    sync
    a=$(now); "$ROOT/scripts/wine-run.sh" xcopy /E /I /Q /Y "$payload_w" "b:\\xcopy$r" >/dev/null
    rexcopy_t+=("$(since "$a")")
  done
  # The copy step's files, checked once: plain ones as they are, compressed
  # ones expanded (they keep their stored names), dates as the sources'.
  local n
  n=$(find "$payload" -type f | wc -l)
  [ "$(find "$out/setup1" -type f | wc -l)" -eq "$n" ] &&
    [ "$(cd "$out/setup1" && find . -type f -printf '%p %Ts\n' | sort | md5sum)" = \
      "$(cd "$payload" && find . -type f -printf '%p %Ts\n' | sort | md5sum)" ] ||
    { echo "copy-bench: the copy step's files differ from the payload" >&2; exit 1; }
  case $name in
    mixed)
      cmp -s <(cat "$out/setup1"/P*.BIN) <(cat "$payload"/P*.BIN) &&
        cmp -s <(cat "$out/setup1"/C*.TX_) <(cat "$BENCH/lz"/C*.TXT) ;;
    large)
      cmp -s <(cat "$out/setup1"/R*.BIN) <(cat "$payload"/R*.BIN) &&
        cmp -s <(cat "$out/setup1"/L*.DA_) <(cat "$BENCH/lz"/L?.DAT) ;;
    small)
      cmp -s <(cat "$out/setup1"/*/*) <(cat "$payload"/*/*) ;;
  esac || { echo "copy-bench: the copy step's files differ from the payload" >&2; exit 1; }

  local s c x e w f rs rx h
  s=$(median "${setup_t[@]}"); c=$(median "${cp_t[@]}"); x=$(median "${xcopy_t[@]}")
  e=$(median "${start_t[@]}"); w=$(median "${welcome_t[@]}"); f=$(median "${first_t[@]}")
  rs=$(median "${resetup_t[@]}"); rx=$(median "${rexcopy_t[@]}"); h=$(median "${three_t[@]}")
  # The copy step writes a compressed file expanded, xcopy as it is
  # stored: how much each writes bounds what the ratio can be.
  local mb_setup mb_xcopy
  mb_setup=$(du -sm "$out/setup1" | cut -f1)
  mb_xcopy=$(du -sm "$out/xcopy1" | cut -f1)
  echo "$arch, payload $name ($n files, $(du -sLm "$payload" | cut -f1) MB); load before $load_before, after $(load)"
  echo "  written: copy step $mb_setup MB, xcopy $mb_xcopy MB"
  report "copy step, fresh install" "${setup_t[@]}"
  report "cp -r (Linux)" "${cp_t[@]}"
  report "xcopy (Wine)" "${xcopy_t[@]}"
  report "xcopy of an empty folder" "${start_t[@]}"
  report "copy step, reinstall" "${resetup_t[@]}"
  report "xcopy /Y over its own copy" "${rexcopy_t[@]}"
  report "start to welcome dialog" "${welcome_t[@]}"
  report "start to one program's window" "${first_t[@]}"
  report "start to the last of three bare ones" "${three_t[@]}"
  awk -v a="$arch" -v n="$name" -v s="$s" -v c="$c" -v x="$x" -v e="$e" -v rs="$rs" -v rx="$rx" -v w="$w" -v f="$f" -v ms="$mb_setup" -v mx="$mb_xcopy" -v h="$h" 'BEGIN {
    printf "  %s %s ratios: copy step / xcopy %.2f (fresh), %.2f (reinstall); copy step / cp -r %.1f; xcopy less its start: %.2f; per MB written: %.2f\n",
      a, n, s / x, rs / rx, s / c, s / (x - e), (s / ms) / (x / mx)
    printf "  %s %s ratio welcome / one window: %.2f (three bare windows / one: %.2f)\n", a, n, w / f, h / f }'
  rm -rf "$out"
}

# bench_build ARCH - every payload for one build, in its own Wine session.
bench_build() (
  local arch=$1 tree=$ROOT/build/win
  [ "$arch" = x86_64 ] && tree=$ROOT/build/win64
  step "the $arch build ($tree)"
  configure_win "$arch"
  quiet cmake --build "$tree" -j"$(nproc)" --target setup copy_bench first_window
  BUILD_WIN=$tree
  source "$ROOT/scripts/wine-env.sh"
  wine_prefix_init
  trap wine_session_stop EXIT
  wine_session_start
  local name
  for name in ${PAYLOADS:-mixed small large}; do
    bench_payload "$arch" "$tree" "$name"
  done
)

make_payloads
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

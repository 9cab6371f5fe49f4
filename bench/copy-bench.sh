#!/usr/bin/env bash
# copy-bench.sh - the copy step against cp -r and Wine's xcopy, and the
# welcome dialog against a program that only shows one window, for each
# build the machine runs: the i686 one where 32-bit programs run, and the
# x86-64 one (SETUP_WIN_ARCH=i686|x86_64 benches that build alone).
#
# Four payloads, made once in build/bench (PAYLOADS picks some):
#   mixed        1000 files, about 95 MB, a tenth of them SZDD-compressed
#                (mscompress)
#   small        2000 files of 1 KB, in two folders of 1000: SETUP.EXE's
#                file table holds 1000, so the copy step's time is that of
#                two installations, one a folder, added up
#   large        10 files of 50 MB, half of them compressed (the builder's
#                own compressor: mscompress takes half a minute for each)
#   application  1000 files, about 90 MB, shaped like a real installation
#                (bench/make-application.pl): five nested source folders
#                into seven destination folders, renaming lines beside
#                wildcard lines, 100 texts compressed with mscompress, and
#                a group of four items
# For each payload the same tree is copied, interleaved over ROUNDS rounds
# (default 5), into fresh folders deleted only after the payload's last
# round: SETUP.EXE's copy step under Wine (a fresh install), cp -r on
# Linux, Wine's xcopy; then the copy step and xcopy /Y again over their
# own first copies (a reinstall: every file replaced). SETUP.EXE is timed
# from OK in the destination dialog until the progress dialog is gone (the
# copy step), and until the success box is on screen (the group step
# included, against a Program Manager that answers at once: see
# copy_bench.cpp). Each round also
# starts SETUP.EXE up to its welcome dialog, the one-window program up to
# its window, and the same program up to the last of three bare windows
# (a small one shown and destroyed, one over the whole screen, then its
# window: the windows SETUP.EXE shows up to its welcome), WINDOW_SAMPLES
# times (default 3), each after a pause of half a second (a program started while the desktop still
# handles the end of the one before is slowed by it). Prints for each the
# median and the spread of the rounds, the ratios taken from the medians,
# and the machine's load before and after. Creating files is slower for a
# few minutes after many were deleted: leave a pause between two runs.
#
# BASE_TREE=DIR also times, in every round, the copy step of the SETUP.EXE
# built in another checkout DIR (its build/win and build/win64), fresh and
# again, the two programs taking turns to go first; it prints that
# program's times and the ratios of this one to it.
#
# CALL_TIMES=1 runs, instead of SETUP.EXE, the same program with every
# system call of the copy and group steps timed (SETUPTRC.EXE, see
# bench/call_times.cpp) and prints after each payload where its time went
# (bench/call-times.pl, from the first round's fresh install and
# reinstall). Its own times are then a little longer.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROUNDS=${ROUNDS:-5}
# The first windows take a fifth of a second, with a spread as large as
# the differences sought: each round times them this many times.
WINDOW_SAMPLES=${WINDOW_SAMPLES:-3}
BENCH=$ROOT/build/bench
source "$ROOT/scripts/build-env.sh"

make_first_payloads() {
  echo "copy-bench: making the payloads (once)"
  rm -rf "$BENCH/mixed" "$BENCH/small" "$BENCH/large" "$BENCH/lz"
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

# wants NAME - whether this run benches payload NAME.
wants() { [[ " ${PAYLOADS:-mixed small large application} " == *" $1 "* ]]; }

make_payloads() {
  if { wants mixed || wants small || wants large; } && [ ! -f "$BENCH/.ready-4" ]; then
    make_first_payloads
  fi
  if wants application && [ ! -f "$BENCH/.ready-application" ]; then
    echo "copy-bench: making the application payload (once)"
    rm -rf "$BENCH/application" "$BENCH/lz-app" "$BENCH/application.inf" "$BENCH/application.map"
    mkdir -p "$BENCH"
    perl "$ROOT/bench/make-application.pl" "$BENCH"
    (cd "$BENCH/lz-app" && mscompress T*.TXT >/dev/null &&
      for f in T*.TXT_; do mv "$f" "$BENCH/application/DOC/${f%.TXT_}.TX_"; done)
    touch "$BENCH/.ready-application"
  fi
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

# make_dist DIST EXE - the distribution folder(s) of the payload being
# benched, with EXE as their SETUP.EXE.
make_dist() {
  local part
  for part in "${parts[@]}"; do
    mkdir -p "$1/$part"
    ln -s "$payload/$part" "$1/$part/payload"
    cp "$2" "$1/$part/SETUP.EXE"
    if [ "$name" = application ]; then
      cp "$BENCH/application.inf" "$1/$part/SETUP.INF"
    else
      printf '[App]\r\nAppName=CopyBench\r\nDefDir=C:\\BENCH\\\r\nSpaceNeeded=1\r\nInstallToHD=Yes\r\n[SrcDirs]\r\n1=payload\r\n[DstDirs]\r\n1=\r\n[Files]\r\n*1-1,\r\n[End]\r\n' > "$1/$part/SETUP.INF"
    fi
  done
}

# copy_step DESTDIR [TRACE] - SETUP.EXE's copy step of every part of the
# payload into DESTDIR (a part's folder below it when there are two):
# prints the copy step's times and the times to the success box, each
# added up. With TRACE, the traced program's calls go to TRACE, with the
# driver's clock readings appended (of the last part when there are two).
copy_step() {
  local copy=0 box=0 part t n
  for part in "${parts[@]}"; do
    t=$(SETUP_CALL_TIMES=${2:+$(winepath -w "$2")} "$ROOT/scripts/wine-run.sh" "$bench_exe" \
      "$(winepath -w "$dist/$part")" "$1${part:+\\$part}" | tr -d '\r')
    grep -q '^to the success box: ' <<<"$t" || { echo "copy-bench: the installation did not finish" >&2; exit 1; }
    # The group step is timed only when it reached the bench's own server.
    n=$(sed -n 's/^group commands: //p' <<<"$t")
    [ "$n" -eq "$group_commands" ] ||
      { echo "copy-bench: the group step sent $n commands, not $group_commands" >&2; exit 1; }
    copy=$(awk -v a="$copy" -v b="$(sed -n 's/^copy step: \([0-9.]*\) s/\1/p' <<<"$t")" 'BEGIN { printf "%.3f", a + b }')
    box=$(awk -v a="$box" -v b="$(sed -n 's/^to the success box: \([0-9.]*\) s/\1/p' <<<"$t")" 'BEGIN { printf "%.3f", a + b }')
    [ -n "${2:-}" ] && grep '^clock: ' <<<"$t" >> "$2"
  done
  echo "$copy $box"
}

# base_turn TURN TIMES BOXES - with BASE_TREE, in an even round (TURN 0)
# or an odd one (TURN 1), the base build's copy step into its own folder,
# its times added to the arrays named TIMES and BOXES.
base_turn() {
  [ -n "$base_dist" ] && [ $((r % 2)) = "$1" ] || return 0
  local -n times=$2 boxes=$3
  local t
  sync
  t=$(dist=$base_dist copy_step "b:\\base$r")
  times+=("${t% *}"); boxes+=("${t#* }")
}

# first_window WHAT ARG - the time copy_bench --WHAT ARG prints, after a
# pause in which the desktop settles from the program before: the two
# programs timed to their first window are then timed alike.
first_window() {
  sleep 0.5
  "$ROOT/scripts/wine-run.sh" "$bench_exe" "--$1" "$2" | tr -d '\r' | sed -n 's/^[a-z ]*: \([0-9.]*\) s/\1/p'
}

# check_application OUT - every file the application payload's script
# installs is in OUT under its destination name, holding the bytes of its
# source (a compressed one's text as it was before compressing), with its
# source's date; and OUT holds no other file.
check_application() {
  local out=$1
  [ "$(find "$out" -type f | wc -l)" -eq "$(wc -l < "$BENCH/application.map")" ] &&
    perl -e 'my ($bench, $out) = @ARGV; my $bad = 0;
      sub bytes { open(my $f, "<", $_[0]) or return "(missing)"; binmode $f; local $/; my $b = <$f>; return $b }
      while (<STDIN>) { my ($src, $dst, $want) = split;
        $bad++, print STDERR "copy-bench: $dst differs from $want\n" if bytes("$out/$dst") ne bytes("$bench/$want");
        $bad++, print STDERR "copy-bench: $dst is not dated as $src\n" if (stat "$out/$dst")[9] != (stat "$bench/$src")[9] }
      exit($bad ? 1 : 0)' "$BENCH" "$out" < "$BENCH/application.map"
}

# check_copy NAME OUT - the copy step's files in OUT, checked once: plain
# ones as they are, compressed ones expanded (they keep their stored names
# where a wildcard line copied them), dates as the sources'.
check_copy() {
  local name=$1 out=$2 payload=$BENCH/$1
  if [ "$name" = application ]; then
    check_application "$out"
    return
  fi
  [ "$(find "$out" -type f | wc -l)" -eq "$(find "$payload" -type f | wc -l)" ] &&
    [ "$(cd "$out" && find . -type f -printf '%p %Ts\n' | sort | md5sum)" = \
      "$(cd "$payload" && find . -type f -printf '%p %Ts\n' | sort | md5sum)" ] || return 1
  case $name in
    mixed)
      cmp -s <(cat "$out"/P*.BIN) <(cat "$payload"/P*.BIN) &&
        cmp -s <(cat "$out"/C*.TX_) <(cat "$BENCH/lz"/C*.TXT) ;;
    large)
      cmp -s <(cat "$out"/R*.BIN) <(cat "$payload"/R*.BIN) &&
        cmp -s <(cat "$out"/L*.DA_) <(cat "$BENCH/lz"/L?.DAT) ;;
    small)
      cmp -s <(cat "$out"/*/*) <(cat "$payload"/*/*) ;;
  esac
}

# bench_payload ARCH TREE NAME - the rounds of one payload in the running
# Wine session of TREE.
bench_payload() {
  local arch=$1 tree=$2 name=$3
  local payload=$BENCH/$name dist=$BENCH/dist-$arch-$name out=$BENCH/out-$arch part
  local base_dist= base_exe=
  if [ -n "${BASE_TREE:-}" ]; then
    base_dist=$BENCH/base-$arch-$name base_exe=$BASE_TREE/${tree#"$ROOT"/}/SETUP.EXE
    [ -f "$base_exe" ] || { echo "copy-bench: no $base_exe" >&2; exit 1; }
  fi
  local parts=("") group_commands=2 exe=$tree/SETUP.EXE trace=
  [ "$name" = small ] && parts=(a b)
  if [ "${CALL_TIMES:-0}" = 1 ]; then
    exe=$tree/SETUPTRC.EXE
    trace=$BENCH/calls-$arch-$name
  fi
  rm -rf "$dist" "$out" ${base_dist:+"$base_dist"}
  mkdir -p "$out" "$BENCH/empty"
  make_dist "$dist" "$exe"
  [ -z "$base_dist" ] || make_dist "$base_dist" "$base_exe"
  # Create and show the group, then delete and add each item.
  group_commands=$((2 + 2 * $(sed -n '/^\[PM Info\]/,/^\[/p' "$dist/${parts[0]}/SETUP.INF" | grep -vc '^\[' || true)))
  ln -sfn "$out" "$WINEPREFIX/dosdevices/b:"
  # Warm the sources once; Windows paths are worked out before the timing
  # (winepath starts Wine).
  find "$payload" -type f -exec cat {} + > /dev/null
  local payload_w empty_w first_w dist_w bench_exe=$tree/copy_bench.exe
  payload_w=$(winepath -w "$payload")
  empty_w=$(winepath -w "$BENCH/empty")
  first_w=$(winepath -w "$tree/first_window.exe")
  dist_w=$(winepath -w "$dist/${parts[0]}")

  local setup_t=() box_t=() cp_t=() xcopy_t=() start_t=() welcome_t=() first_t=() three_t=() resetup_t=() rebox_t=()
  local rexcopy_t=() base_t=() basebox_t=() rebase_t=() rebasebox_t=() r a t fresh_trace again_trace
  local load_before
  load_before=$(load)
  for r in $(seq "$ROUNDS"); do
    # Each command starts with nothing of the previous one waiting to be
    # written; the sync itself is not timed. The Win32 programs end their
    # lines with CR LF.
    # The destination dialog makes one folder level: a part's folder
    # needs its parent.
    [ -n "${parts[0]}" ] && mkdir -p "$out/setup$r" "$out/base$r"
    base_turn 0 base_t basebox_t
    sync
    fresh_trace= again_trace=
    if [ "$r" = 1 ] && [ -n "$trace" ]; then
      fresh_trace=$trace.fresh
      again_trace=$trace.reinstall
    fi
    t=$(copy_step "b:\\setup$r" "$fresh_trace")
    setup_t+=("${t% *}"); box_t+=("${t#* }")
    base_turn 1 base_t basebox_t
    sync
    a=$(now); cp -r "$payload" "$out/cp$r"
    cp_t+=("$(since "$a")")
    sync
    a=$(now); "$ROOT/scripts/wine-run.sh" xcopy /E /I /Q "$payload_w" "b:\\xcopy$r" >/dev/null
    xcopy_t+=("$(since "$a")")
    # xcopy's own start and end, which the copy step's time does not hold.
    a=$(now); "$ROOT/scripts/wine-run.sh" xcopy /E /I /Q "$empty_w" "b:\\empty$r" >/dev/null
    start_t+=("$(since "$a")")
    for k in $(seq "$WINDOW_SAMPLES"); do
      welcome_t+=("$(first_window welcome "$dist_w")")
      first_t+=("$(first_window first-window "$first_w")")
      three_t+=("$(first_window three-windows "$first_w")")
      [ -n "${welcome_t[-1]}" ] && [ -n "${first_t[-1]}" ] && [ -n "${three_t[-1]}" ] ||
        { echo "copy-bench: a first window was not seen" >&2; exit 1; }
    done
    # The reinstall: every file is there already and is replaced.
    base_turn 0 rebase_t rebasebox_t
    sync
    t=$(copy_step "b:\\setup$r" "$again_trace")
    resetup_t+=("${t% *}"); rebox_t+=("${t#* }")
    base_turn 1 rebase_t rebasebox_t
    sync
    a=$(now); "$ROOT/scripts/wine-run.sh" xcopy /E /I /Q /Y "$payload_w" "b:\\xcopy$r" >/dev/null
    rexcopy_t+=("$(since "$a")")
  done
  check_copy "$name" "$out/setup1" || { echo "copy-bench: the copy step's files differ from the payload" >&2; exit 1; }

  local n s b c x e w f rs rb rx h
  n=$(find "$payload" -type f | wc -l)
  s=$(median "${setup_t[@]}"); b=$(median "${box_t[@]}"); c=$(median "${cp_t[@]}"); x=$(median "${xcopy_t[@]}")
  e=$(median "${start_t[@]}"); w=$(median "${welcome_t[@]}"); f=$(median "${first_t[@]}")
  rs=$(median "${resetup_t[@]}"); rb=$(median "${rebox_t[@]}"); rx=$(median "${rexcopy_t[@]}")
  h=$(median "${three_t[@]}")
  # The copy step writes a compressed file expanded, xcopy as it is
  # stored: how much each writes bounds what the ratio can be.
  local mb_setup mb_xcopy
  mb_setup=$(du -sm "$out/setup1" | cut -f1)
  mb_xcopy=$(du -sm "$out/xcopy1" | cut -f1)
  echo "$arch, payload $name ($n files, $(du -sLm "$payload" | cut -f1) MB); load before $load_before, after $(load)"
  echo "  written: copy step $mb_setup MB, xcopy $mb_xcopy MB"
  report "copy step, fresh install" "${setup_t[@]}"
  report "to the success box, fresh install" "${box_t[@]}"
  report "cp -r (Linux)" "${cp_t[@]}"
  report "xcopy (Wine)" "${xcopy_t[@]}"
  report "xcopy of an empty folder" "${start_t[@]}"
  report "copy step, reinstall" "${resetup_t[@]}"
  report "to the success box, reinstall" "${rebox_t[@]}"
  report "xcopy /Y over its own copy" "${rexcopy_t[@]}"
  report "start to welcome dialog" "${welcome_t[@]}"
  report "start to one program's window" "${first_t[@]}"
  report "start to the last of three bare ones" "${three_t[@]}"
  awk -v a="$arch" -v n="$name" -v s="$s" -v c="$c" -v x="$x" -v e="$e" -v rs="$rs" -v rx="$rx" -v w="$w" -v f="$f" -v ms="$mb_setup" -v mx="$mb_xcopy" -v h="$h" -v b="$b" -v rb="$rb" 'BEGIN {
    printf "  %s %s ratios: copy step / xcopy %.2f (fresh), %.2f (reinstall); copy step / cp -r %.1f; xcopy less its start: %.2f; per MB written: %.2f\n",
      a, n, s / x, rs / rx, s / c, s / (x - e), (s / ms) / (x / mx)
    printf "  %s %s ratios: to the success box / xcopy %.2f (fresh), %.2f (reinstall)\n", a, n, b / x, rb / rx
    printf "  %s %s ratio welcome / three bare windows: %.2f (welcome / one window: %.2f; three bare windows / one: %.2f)\n", a, n, w / h, w / f, h / f }'
  if [ -n "$base_dist" ]; then
    report "base: copy step, fresh install" "${base_t[@]}"
    report "base: to the success box, fresh" "${basebox_t[@]}"
    report "base: copy step, reinstall" "${rebase_t[@]}"
    report "base: to the success box, again" "${rebasebox_t[@]}"
    awk -v a="$arch" -v n="$name" -v s="$s" -v b="$b" -v rs="$rs" -v rb="$rb" -v bs="$(median "${base_t[@]}")" \
      -v bb="$(median "${basebox_t[@]}")" -v brs="$(median "${rebase_t[@]}")" -v brb="$(median "${rebasebox_t[@]}")" 'BEGIN {
      printf "  %s %s ratios to the base: copy step %.2f (fresh), %.2f (reinstall); to the success box %.2f (fresh), %.2f (reinstall)\n",
        a, n, s / bs, rs / brs, b / bb, rb / brb }'
  fi
  if [ -n "$trace" ]; then
    perl "$ROOT/bench/call-times.pl" "$trace.fresh" "fresh install"
    perl "$ROOT/bench/call-times.pl" "$trace.reinstall" "reinstall"
  fi
  rm -rf "$out"
}

# bench_build ARCH - every payload for one build, in its own Wine session.
bench_build() (
  local arch=$1 tree=$ROOT/build/win
  [ "$arch" = x86_64 ] && tree=$ROOT/build/win64
  step "the $arch build ($tree)"
  configure_win "$arch"
  quiet cmake --build "$tree" -j"$(nproc)" --target setup copy_bench first_window setup_traced
  BUILD_WIN=$tree
  source "$ROOT/scripts/wine-env.sh"
  wine_prefix_init
  trap wine_session_stop EXIT
  wine_session_start
  local name
  for name in ${PAYLOADS:-mixed small large application}; do
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

#!/usr/bin/env bash
# dist-bench.sh - setupdist's compressor against Debian's mscompress: the
# bytes each makes and the time each takes, on two payloads:
#   demo   the demo's application folder (demo/app and the demo program)
#   mixed  100 MB of mixed files, made once in build/bench/mixed from this
#          machine: 30 MB of shared libraries, 25 MB of C headers joined
#          into 1 MB files, 20 MB of generated records and text, 15 MB of
#          random bytes, 10 MB of a picture with flat areas
# Both compress every file to FILE_ (mscompress's naming) in copies of
# the payload; szdd_bench is the builder's own compressor on the same
# files. Wall and CPU (user + system) times, the best of ROUNDS rounds
# (default 1). Also times a whole setupdist run on the demo payload.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROUNDS=${ROUNDS:-1}
BENCH=$ROOT/build/bench
HOST=$ROOT/build/host

cmake -S "$ROOT" -B "$HOST" >/dev/null
cmake --build "$HOST" --target szdd_bench setupdist >/dev/null
demo_exe=$ROOT/build/win/DEMO.EXE
[ -f "$demo_exe" ] || { echo "dist-bench: no $demo_exe; build the target first (scripts/run.sh)" >&2; exit 1; }

make_demo() {
  rm -rf "$BENCH/demo"
  mkdir -p "$BENCH/demo"
  cp -r "$ROOT/demo/app/." "$BENCH/demo/"
  cp "$demo_exe" "$BENCH/demo/DEMO.EXE"
}

make_mixed() {
  [ -f "$BENCH/mixed/.ready" ] && return 0
  echo "dist-bench: making the mixed payload (once)" >&2
  rm -rf "$BENCH/mixed"
  mkdir -p "$BENCH/mixed"
  local total=0 n=0 f size
  for f in $(find -L /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -name '*.so*' | sort); do
    size=$(stat -L -c %s "$f")
    [ $((total + size)) -le 31457280 ] || continue
    n=$((n + 1))
    cp -L "$f" "$BENCH/mixed/LIB$(printf %03d $n).SO"
    total=$((total + size))
  done
  (set +o pipefail; find /usr/include -type f -name '*.h' | sort | xargs cat | head -c 26214400 |
     split -b 1048576 -a 2 - "$BENCH/mixed/HDR") 2>/dev/null
  perl -e 'srand(11); for my $n (1..4) { open(my $f, ">", "$ARGV[0]/REC$n.DAT") or die;
           while (tell($f) < 2621440) { printf $f "record %06d %-12s %8.2f %s\r\n", int(rand(1e6)),
             (qw(alpha beta gamma delta epsilon))[int(rand(5))], rand(1e5), "x" x int(rand(20)) }
           close $f; open($f, ">", "$ARGV[0]/TEXT$n.TXT") or die;
           my @w = qw(the setup program copies files from a distribution disk into folders and makes a group);
           while (tell($f) < 2621440) { print $f join(" ", map { $w[int(rand(@w))] } 1..12), ".\r\n" } close $f }' \
    "$BENCH/mixed"
  for n in 1 2 3; do head -c 5242880 /dev/urandom > "$BENCH/mixed/RAND$n.BIN"; done
  perl -e 'for my $n (1..2) { open(my $f, ">", "$ARGV[0]/PICTURE$n.BMP") or die; binmode $f;
           for my $y (0..2047) { print $f join("", map { chr(int($_ / 256) == int($y / 256) ? 200 : ($_ * $n) % 7) } 0..2559) } close $f }' \
    "$BENCH/mixed"
  touch "$BENCH/mixed/.ready"
}

# run NAME DIR COMMAND...: copies DIR's files to a work folder, runs
# COMMAND on them there; prints "wall cpu bytes-out".
run() {
  local name=$1 dir=$2; shift 2
  local work=$BENCH/work-$name
  rm -rf "$work"
  mkdir -p "$work"
  find "$dir" -type f ! -name '.ready' -exec cp {} "$work/" \;
  local files
  files=$(cd "$work" && ls)
  local t0 c0 t1 c1 me=$BASHPID
  t0=$(date +%s.%N)
  c0=$(awk '{print $16 + $17}' "/proc/$me/stat")
  (cd "$work" && "$@" $files >/dev/null 2>&1)
  t1=$(date +%s.%N)
  c1=$(awk '{print $16 + $17}' "/proc/$me/stat")
  local out
  out=$(cd "$work" && cat ./*_ | wc -c)
  awk -v a="$t0" -v b="$t1" -v c="$c0" -v d="$c1" -v o="$out" -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%.2f %.2f %d\n", b - a, (d - c) / hz, o }'
  rm -rf "$work"
}

# best NAME DIR COMMAND...: the fastest of ROUNDS runs.
best() {
  local r line bestline=""
  for r in $(seq "$ROUNDS"); do
    line=$(run "$@")
    if [ -z "$bestline" ] || awk -v a="$line" -v b="$bestline" 'BEGIN { split(a, x); split(b, y); exit !(x[1] < y[1]) }'; then
      bestline=$line
    fi
  done
  echo "$bestline"
}

make_demo
make_mixed
printf '| payload | files | bytes in | mscompress bytes | setupdist bytes | setupdist/mscompress | mscompress wall s (cpu) | setupdist wall s (cpu) | speed-up (wall) |\n'
printf '|---|---|---|---|---|---|---|---|---|\n'
for payload in demo mixed; do
  dir=$BENCH/$payload
  files=$(find "$dir" -type f ! -name '.ready' | wc -l)
  bytes=$(find "$dir" -type f ! -name '.ready' -exec cat {} + | wc -c)
  read -r ms_wall ms_cpu ms_out < <(best ms "$dir" mscompress)
  read -r sd_wall sd_cpu sd_out < <(best sd "$dir" "$HOST/szdd_bench")
  awk -v p="$payload" -v f="$files" -v b="$bytes" -v mo="$ms_out" -v so="$sd_out" -v mw="$ms_wall" -v mc="$ms_cpu" \
      -v sw="$sd_wall" -v sc="$sd_cpu" \
      'BEGIN { printf "| %s | %d | %d | %d | %d | %.4f | %.2f (%.2f) | %.2f (%.2f) | %.1fx |\n",
               p, f, b, mo, so, so / mo, mw, mc, sw, sc, (sw > 0 ? mw / sw : 0) }'
done

# A whole run of the builder on the demo payload: plan, compress, write,
# SETUP.EXE, script and check.
rm -rf "$BENCH/demo-dist"
t0=$(date +%s.%N)
"$HOST/setupdist" --setup-exe "$ROOT/build/win/SETUP.EXE" "$ROOT/demo/SETUP.TPL" "$BENCH/demo" "$BENCH/demo-dist" >/dev/null
t1=$(date +%s.%N)
awk -v a="$t0" -v b="$t1" 'BEGIN { printf "\nsetupdist on the demo payload, the whole run: %.2f s\n", b - a }'

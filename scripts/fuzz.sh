#!/usr/bin/env bash
# fuzz.sh [SECONDS] - runs the script reader's libFuzzer target (ASan and
# UBSan) for SECONDS (default 60), starting from the real scripts of the
# project, then the builder's name rules for half as long, starting from
# names whose GBK trail byte is a backslash, then the one-file payload's
# reader for a third as long, starting from a cabinet of one file alone
# and behind a program. Fails on any finding.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
corpus=$ROOT/build/host/fuzz-corpus
mkdir -p "$corpus"
i=0
for f in "$ROOT"/tests/data/*/SETUP.INF "$ROOT"/demo/SETUP.TPL; do
  cp "$f" "$corpus/seed-$i.inf"; i=$((i + 1))
done
# Wildcard lines over the target's own folders; after the zero byte, the
# names of the files it makes in "fz".
printf '[SrcDirs]\r\n1=fz\r\n2=odd\r\n3=\xb3\xcc\xd0\xf2\r\n[DstDirs]\r\n1=\r\n[Files]\r\n*1-1,\r\n*2-1,\r\n*3-1,\r\n[End]\r\n\0a.txt\nb,c\n\xd6\xf7\n' \
  >"$corpus/seed-dist.inf"
# One script just over the size limit, which Load must reject whole.
{ printf '[End]\r\n;'; head -c 20480 /dev/zero | tr '\0' x; } >"$corpus/seed-big.inf"
cd "$ROOT/build/host"
log=$ROOT/build/host/fuzz.log

# run_fuzzer WHAT TARGET SECONDS MAX-LEN CORPUS - one target; fails on a finding.
run_fuzzer() {
  local status
  set +e
  "$ROOT/build/host/$2" -max_total_time="$3" -timeout=10 -max_len="$4" -print_final_stats=1 "$5" >"$log" 2>&1
  status=$?
  set -e
  grep -E '^(Done|stat::number_of_executed_units|SUMMARY)' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "fuzz: $1 failed (exit $status); the input is in build/host (crash-*)" >&2
    exit 1
  fi
}

# Inputs a little longer than a script may be, so the size limit is driven.
run_fuzzer "the fuzz target" fuzz_setupinf "$seconds" 20600 "$corpus"

# The name rules: 淺CON, 甲淺A and 乙淺A (0x5C trail bytes), a device name,
# a name of 130 bytes, a name with a comma.
names=$ROOT/build/host/fuzz-names-corpus
mkdir -p "$names"
printf '\x9c\x5cCON\0\xbc\xd7\x9c\x5cA\0\xd2\xd2\x9c\x5cA\0x.txt' >"$names/seed-5c"
printf 'NUL.TXT\0a,b\0\xb3\xcc\xd0\xf2\0%0130d' 0 >"$names/seed-rules"
run_fuzzer "the name rules' fuzz target" fuzz_distnames $(( (seconds + 1) / 2 )) 4096 "$names"

# The payload: a cabinet of one file, A.TXT ("hi"; 0 in a block's checksum
# means none), and the same as a launcher's whole file: a program's headers
# (as tests/host/FakePe.h makes them), the cabinet, the trailer. gzip's
# own trailer begins with the CRC-32 the payload's trailer takes.
payload=$ROOT/build/host/fuzz-payload-corpus
mkdir -p "$payload"
printf 'MSCF\0\0\0\0\x4c\0\0\0\0\0\0\0\x2c\0\0\0\0\0\0\0\x03\x01\x01\0\x01\0\0\0\0\0\0\0' >"$payload/seed-cab"
printf '\x42\0\0\0\x01\0\0\0' >>"$payload/seed-cab"
printf '\x02\0\0\0\0\0\0\0\0\0\x21\x5a\0\x60\x20\0A.TXT\0' >>"$payload/seed-cab"
printf '\0\0\0\0\x02\0\x02\0hi' >>"$payload/seed-cab"
pe=$ROOT/build/host/fuzz-pe.tmp title=$ROOT/build/host/fuzz-title.tmp
head -c 512 /dev/zero >"$pe"
put() { printf "$2" | dd of="$pe" bs=1 seek=$(($1)) conv=notrunc status=none; }
put 0 'MZ'; put 0x3c '\x40'; put 0x40 'PE'; put 0x54 '\xe0'; put 0x58 '\x0b\x01'; put 0xb4 '\x10'
{ printf 'DEMO'; head -c 60 /dev/zero; printf '\x4c\0\0\0'; } >"$title"
{ cat "$pe" "$payload/seed-cab" "$title"
  cat "$payload/seed-cab" "$title" | gzip -c | tail -c 8 | head -c 4
  printf 'KSPAYLD1\0\0\0\0'; } >"$payload/seed-one"
rm -f "$pe" "$title"
run_fuzzer "the payload reader's fuzz target" fuzz_payload $(( (seconds + 2) / 3 )) 4096 "$payload"

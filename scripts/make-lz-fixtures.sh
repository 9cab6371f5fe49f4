#!/usr/bin/env bash
# make-lz-fixtures.sh OUTDIR - deterministic test files and their SZDD
# compressed forms, made with Debian's mscompress (a third-party
# compressor, so the copy step is tested against the real format):
#   TEXT.TXT, BIN.DAT, ZERO.BIN     originals
#   TEXT.TXT_, BIN.DAT_, ZERO.BIN_  compressed (mscompress appends "_")
#   CUT.DAT_                        BIN.DAT_ cut in the middle
#   BIG.DAT                         40 MB, for copies that take a while
set -euo pipefail
out=$1
rm -rf "$out.tmp"
mkdir -p "$out.tmp"
cd "$out.tmp"
perl -e 'for my $i (1..2000) { print "line $i: the quick brown fox jumps over the lazy dog\r\n" }' > TEXT.TXT
perl -e 'srand(7); print join("", map { chr(int(rand(256))) } 1..150000)' > BIN.DAT
head -c 65536 /dev/zero > ZERO.BIN
mscompress TEXT.TXT BIN.DAT ZERO.BIN
head -c $(( $(stat -c %s BIN.DAT_) / 2 )) BIN.DAT_ > CUT.DAT_
head -c 41943040 /dev/zero | tr '\0' 'x' > BIG.DAT
cd ..
rm -rf "$out"
mv "$out.tmp" "$out"

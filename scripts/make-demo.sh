#!/usr/bin/env bash
# make-demo.sh OUTDIR SETUP.EXE DEMO.EXE - lays out the demo distribution
# in OUTDIR: the program and its script, the plain files of demo/, and the
# files a publisher ships compressed, made with Debian's mscompress:
#   app/DEMO.EX_       the demo application (built by the target build)
#   disk2/MANUAL.TX_   demo/pack/MANUAL.TXT
set -euo pipefail
out=$1 setup_exe=$2 demo_exe=$3
src=$(cd "$(dirname "$0")/../demo" && pwd)
rm -rf "$out.tmp"
mkdir -p "$out.tmp"
(cd "$src" && tar --exclude=./pack -cf - .) | (cd "$out.tmp" && tar -xf -)
cp "$setup_exe" "$out.tmp/SETUP.EXE"
mkdir -p "$out.tmp/app" "$out.tmp/pack"
cp "$demo_exe" "$out.tmp/pack/DEMO.EXE"
cp "$src/pack/MANUAL.TXT" "$out.tmp/pack/MANUAL.TXT"
(cd "$out.tmp/pack" && mscompress DEMO.EXE MANUAL.TXT)
mv "$out.tmp/pack/DEMO.EXE_" "$out.tmp/app/DEMO.EX_"
mv "$out.tmp/pack/MANUAL.TXT_" "$out.tmp/disk2/MANUAL.TX_"
rm -rf "$out.tmp/pack" "$out"
mv "$out.tmp" "$out"

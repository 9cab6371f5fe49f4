#!/usr/bin/env bash
# make-demo.sh OUTDIR SETUP.EXE DEMO.EXE SETUPDIST - lays out the demo
# distribution in OUTDIR with setupdist (a Linux build of it): the
# template demo/SETUP.TPL and the application's folder, which is demo/app
# with the demo program DEMO.EXE (built by the target build) added.
set -euo pipefail
out=$1 setup_exe=$2 demo_exe=$3 setupdist=$4
src=$(cd "$(dirname "$0")/../demo" && pwd)
app=$out.app
rm -rf "$app" "$out"
mkdir -p "$app"
cp -r "$src/app/." "$app/"
cp "$demo_exe" "$app/DEMO.EXE"
"$setupdist" --setup-exe "$setup_exe" "$src/SETUP.TPL" "$app" "$out"
rm -rf "$app"

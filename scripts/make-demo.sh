#!/usr/bin/env bash
# make-demo.sh OUTDIR SETUP.EXE DEMO.EXE SETUPDIST [LAUNCHER] - lays out the
# demo distribution in OUTDIR with setupdist (a Linux build of it): the
# template demo/SETUP.TPL and the application's folder, which is demo/app
# with the demo program DEMO.EXE (built by the target build) added. With
# LAUNCHER it also makes the demo as one file, OUTDIR-setup.exe: from the
# template without its (S) item line ("重新安装" runs SETUP.EXE from the
# distribution's folder, which the one file removes after the installation).
set -euo pipefail
out=$1 setup_exe=$2 demo_exe=$3 setupdist=$4 launcher=${5:-}
src=$(cd "$(dirname "$0")/../demo" && pwd)
app=$out.app
rm -rf "$app" "$out" "$out-setup.exe" "$out.onefile"
mkdir -p "$app"
cp -r "$src/app/." "$app/"
cp "$demo_exe" "$app/DEMO.EXE"
"$setupdist" --setup-exe "$setup_exe" "$src/SETUP.TPL" "$app" "$out"
if [ -n "$launcher" ]; then
  # [PM Info] items whose second character is S lie in the distribution's folder.
  sed '/^\[PM Info\]/,/^\[/{/^.[Ss]/d}' "$src/SETUP.TPL" > "$out.tpl"
  "$setupdist" --setup-exe "$setup_exe" --launcher "$launcher" --single-file "$out-setup.exe" \
    "$out.tpl" "$app" "$out.onefile"
  rm -rf "$out.tpl" "$out.onefile"
fi
rm -rf "$app"

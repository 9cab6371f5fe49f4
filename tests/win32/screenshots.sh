#!/usr/bin/env bash
# screenshots.sh DIR - turns the BMP screenshots that the Win32 tests wrote
# into DIR (the meter at several positions, the three pictures as device
# bitmaps, BACK tiled, the welcome, destination and progress dialogs over
# the backdrop) into PNG files for people to look at. Fails when one is
# missing, so a test that stopped writing it is noticed.
set -euo pipefail
dir=$1
status=0
for name in meter_0_of_0 meter_1_of_3 meter_1_of_2 meter_7_of_4 BACK BACK_tiled SETUP STATUS \
            welcome destdir progress; do
  if [ ! -f "$dir/$name.bmp" ]; then
    echo "screenshots: $dir/$name.bmp was not written" >&2
    status=1
    continue
  fi
  convert "$dir/$name.bmp" "$dir/$name.png"
  rm -f "$dir/$name.bmp"
  echo "screenshots: $dir/$name.png"
done
exit $status

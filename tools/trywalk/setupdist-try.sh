#!/usr/bin/env bash
# setupdist-try.sh WORK DIST [--dest FOLDER] [--locale NAME] - what
# setupdist --try runs on Linux: installs the distribution DIST (a folder
# holding SETUP.EXE, or a one file) under Wine in a prefix of its own in
# WORK, walked through by TRYWALK.EXE as a user would, on Xvfb when there
# is no display. It leaves in WORK: walk.txt (the walk's facts, with the
# destination's Linux path added), shots/ (a BMP per window) and dist/
# (the distribution as it ran: a one file's files unpacked).
# Exit code: 0 walked, 1 the walk stopped, 2 it could not run (said why),
# 69 something to install (said in one line).
set -euo pipefail
kit=$(cd "$(dirname "$0")" && pwd)
work=$1 dist=$2
shift 2
dest= locale=zh_CN.UTF-8
while [ $# -gt 0 ]; do
  case "$1" in
    --dest) dest=$2; shift 2 ;;
    --locale) locale=$2; shift 2 ;;
    *) echo "setupdist-try: unknown option $1" >&2; exit 64 ;;
  esac
done

need() {
  command -v "$1" >/dev/null 2>&1 && return 0
  echo "setupdist: --try needs $1: install the package $2" >&2
  exit 69
}
need wine wine
[ -n "${DISPLAY:-}" ] || need Xvfb xvfb
[ -n "${DISPLAY:-}" ] || need xauth xauth
if ! locale -a 2>/dev/null | grep -qix "${locale/UTF-8/utf8}"; then
  echo "setupdist: --try needs the locale $locale: add it with 'dpkg-reconfigure locales' (package locales)" >&2
  exit 69
fi
fc-list 2>/dev/null | grep -q "WenQuanYi Micro Hei" || [ -f /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || {
  echo "setupdist: --try needs a font for 宋体: install the package fonts-wqy-microhei" >&2
  exit 69
}

# A machine that runs no 32-bit code runs the x86-64 build of the same
# programs, which the kit carries for this (SETUPDIST_TRY_ARCH=x86_64
# chooses it anywhere).
arch=i686
if [ "${SETUPDIST_TRY_ARCH:-}" = x86_64 ] || ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=x86_64
  [ -x /usr/lib/wine/wine64 ] || { echo "setupdist: --try needs Wine: install the package wine64" >&2; exit 69; }
fi
walker=$kit/TRYWALK.EXE
[ $arch = x86_64 ] && walker=$kit/x86_64/TRYWALK.EXE
[ -f "$walker" ] || { echo "setupdist: no $walker: the kit is incomplete" >&2; exit 69; }

mkdir -p "$work/shots" "$work/dist"
echo "$arch" > "$work/wine-arch"
export BUILD_WIN=$work WINE_TEST_DRIVES=0 WINE_LOCALE=$locale
source "$kit/wine-env.sh"
wine_prefix_init >/dev/null 2>&1 || { echo "setupdist: Wine could not make its prefix in $work" >&2; exit 2; }
trap wine_session_stop EXIT
wine_session_start

# The distribution runs from drive D:, as from a disk, a copy: the
# publisher's folder is never written.
run=$work/disk
mkdir -p "$run"
ln -sfn "$run" "$WINEPREFIX/dosdevices/d:"
one=()
if [ -d "$dist" ]; then
  cp -rp "$dist/." "$run/"
  cp -rp "$dist/." "$work/dist/"
  program='D:\SETUP.EXE'
else
  cabextract -q -d "$work/dist" "$dist" >/dev/null 2>&1 || {
    echo "setupdist: $dist is neither a distribution folder nor a one file" >&2; exit 2; }
  if [ $arch = i686 ]; then
    cp -p "$dist" "$run/"
    program="D:\\$(basename "$dist")"
    one=(--one-file)
  else
    # The one file's launcher and SETUP.EXE are 32-bit: its files run from
    # a disk with the x86-64 SETUP.EXE.
    cp -rp "$work/dist/." "$run/"
    program='D:\SETUP.EXE'
    note=" (the one file's launcher is 32-bit: its files ran from a disk)"
  fi
fi
if [ $arch = x86_64 ]; then
  cp "$kit/x86_64/SETUP.EXE" "$run/SETUP.EXE"
fi
shots=$(winepath -w "$work/shots" 2>/dev/null | tr -d '\r')
facts=$(winepath -w "$work/walk.txt" 2>/dev/null | tr -d '\r')

args=()
[ -n "$dest" ] && args=(--dest "$dest")
rc=0
timeout -k 5 900 "$WINE_CMD" "$walker" "${args[@]}" "${one[@]}" "$program" "$shots" "$facts" \
  </dev/null >"$work/walker.log" 2>&1 || rc=$?
[ -s "$work/walk.txt" ] || echo "stopped	the walk did not run (exit code $rc)" > "$work/walk.txt"
[ -z "${note:-}" ] || sed -i "s/^build\t.*/&$note/" "$work/walk.txt"
destdir=$(sed -n 's/^dest\t//p' "$work/walk.txt" | tail -n 1)
if [ -n "$destdir" ]; then
  printf 'dest-unix\t%s\n' "$(winepath -u "$destdir" 2>/dev/null | tr -d '\r')" >> "$work/walk.txt"
fi
[ $rc -eq 0 ] || exit 1

#!/usr/bin/env bash
# links-test.sh WIN32_TESTS.EXE - links put into the launcher's folder
# while SETUP.EXE runs, as an attacker would put them (Wine makes no links
# itself, so they are made here, on the Linux side): the Win32 test
# (OneFileWin32.LinksPut...) starts a one-file distribution and, once
# SETUP.EXE shows its welcome, writes ready.txt with the launcher's folder.
# This script then puts a link to victim1 at the top of that folder and
# replaces its subfolder BIN by a link to victim2, which holds files of
# the same names, and answers with linked.txt naming them. The test leaves
# SETUP.EXE and checks that the victims' files survived the cleanup.
set -euo pipefail
tests_exe=$(readlink -f "$1")
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
build=$(cd "$(dirname "$tests_exe")" && pwd)
hs=$build/links
rm -rf "$hs"
mkdir -p "$hs"

export BUILD_WIN=$build
source "$scripts/wine-env.sh"
LINKS_DIR=$(winepath -w "$hs" 2>/dev/null | tr -d '\r')
export LINKS_DIR

# Answers every ready.txt (a failed run is run once more) until the test ends.
answer() {
  while :; do
    if [ -f "$hs/ready.txt" ]; then
      dir=$(winepath -u "$(tr -d '\r\n' <"$hs/ready.txt")" 2>/dev/null)
      rm -f "$hs/ready.txt"
      rm -rf "$hs/victim1" "$hs/victim2"
      mkdir -p "$hs/victim1" "$hs/victim2"
      echo keep >"$hs/victim1/KEEP.TXT"
      for f in "$dir"/BIN/*; do echo victim >"$hs/victim2/$(basename "$f")"; done
      ln -s "$hs/victim1" "$dir/victim"
      rm -rf "$dir/BIN"
      ln -s "$hs/victim2" "$dir/BIN"
      (cd "$hs/victim2" && ls) >"$hs/linked.tmp"
      mv "$hs/linked.tmp" "$hs/linked.txt"
    fi
    sleep 0.2
  done
}
answer &
answerer=$!
trap 'kill $answerer 2>/dev/null || true' EXIT
"$scripts/wine-test.sh" "$tests_exe" --gtest_filter='OneFileWin32.LinksPut*'

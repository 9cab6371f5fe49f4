#!/usr/bin/env bash
# check-launcher.sh LAUNCHER.EXE - checks the launcher of --single-file as
# a file, on Linux: a 32-bit (i386) GUI program that imports system DLLs
# only, small, with its progress window and texts in language 1028.
set -uo pipefail
source "$(dirname "$0")/pe-checks.sh"
pe_checks check-launcher "$1"
size=$(stat -c %s "$exe")
[ "$size" -le 65536 ] || bad "is $size bytes; the launcher is meant to stay under 64 KB"
grep -qE 'Entry: ID: 0x000064' <<<"$dump" || bad "has no progress window (dialog 100)"
grep -qE 'Entry: ID: 0x000404' <<<"$dump" || bad "has no resources in language 1028"
[ $fail -eq 0 ] && echo "check-launcher: $exe is an i386 GUI program of $size bytes with KnownDLLs only and its manifest"

#!/usr/bin/env bash
# check-launcher.sh LAUNCHER.EXE - checks the launcher of --single-file as
# a file, on Linux: a 32-bit (i386) GUI program that imports system DLLs
# only, small, with its progress window and texts in language 1028.
set -uo pipefail
export LC_ALL=C
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "check-launcher: cannot read $exe" >&2; exit 1; }
fail=0
bad() { echo "check-launcher: $exe: $*" >&2; fail=1; }
grep -q 'file format pei-i386$' <<<"$dump" || bad "not a 32-bit (i386) program"
grep -qE '^Subsystem[[:space:]]+00000002' <<<"$dump" || bad "not a GUI program"
system_dlls=' cabinet.dll comctl32.dll kernel32.dll msvcrt.dll shlwapi.dll user32.dll '
while read -r dll; do
  [[ "$system_dlls" == *" ${dll,,} "* ]] || bad "imports $dll, which is not one of its system DLLs"
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
size=$(stat -c %s "$exe")
[ "$size" -le 65536 ] || bad "is $size bytes; the launcher is meant to stay under 64 KB"
grep -qE 'Entry: ID: 0x000064' <<<"$dump" || bad "has no progress window (dialog 100)"
grep -qE 'Entry: ID: 0x000404' <<<"$dump" || bad "has no resources in language 1028"
[ $fail -eq 0 ] && echo "check-launcher: $exe is an i386 GUI program of $size bytes with system DLLs only"

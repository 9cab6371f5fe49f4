#!/usr/bin/env bash
# check-pe.sh SETUP.EXE - checks the shipped program as a file, on Linux:
# a 32-bit (i386) GUI program that imports system DLLs only (no runtime
# DLL to ship beside it), with its bitmaps, dialogs and strings in
# language 1028. Needs no Wine, so it runs on every machine.
set -uo pipefail
source "$(dirname "$0")/pe-checks.sh"
pe_checks check-pe "$1"

# The resource tree, as "type/name/language" lines.
res=$(awk '
  /Resource Directory section/ { on = 1 }
  !on || !/Entry:/ { next }
  { key = $0; sub(/, Value:.*/, "", key); sub(/.*[ :] /, "", key) }
  /^[0-9a-f]+   Entry/ { type = key }
  /^[0-9a-f]+     Entry/ { name = key }
  /^[0-9a-f]+       Entry/ { print type "/" name "/" key }
' <<<"$dump")
for want in 0x000002/BACK 0x000002/SETUP 0x000002/STATUS \
            0x000005/0x000001 0x000005/0x000002 0x000005/0x000003 0x000005/0x000004 \
            0x000006/0x00003f 0x000006/0x000040; do
  grep -qx "$want/0x000404" <<<"$res" || bad "resource $want (language 1028) is missing"
done
[ $fail -eq 0 ] && echo "check-pe: $exe is an i386 GUI program with KnownDLLs only, its manifest and its resources"
exit $fail

# pe-checks.sh - sourced by check-pe.sh and check-launcher.sh: what both
# shipped programs must be as files, read with objdump on Linux.
#
# pe_checks TOOL EXE - sets $dump (objdump -p of EXE) and $fail, defines
# bad(), and checks that EXE is a 32-bit (i386) GUI program that imports
# KnownDLLs only (Windows takes any other DLL from the program's own
# folder first, where a download may have planted one) and carries the
# manifest: asInvoker, the systems from Vista to 11, no activeCodePage.

# KnownDLLs (HKLM\System\CurrentControlSet\Control\Session Manager\KnownDLLs)
# that every Windows from Vista on lists.
KNOWN_DLLS='advapi32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll
  rpcrt4.dll setupapi.dll shell32.dll shlwapi.dll user32.dll ws2_32.dll'

# pe_resource TYPE NAME - the bytes of resource TYPE/NAME (hex ids as
# objdump prints them, e.g. 0x000018 0x000001), first language, on stdout.
pe_resource() {
  local leaf rva size vma off
  leaf=$(awk -v type="$1" -v name="$2" '
    /Resource Directory section/ { on = 1 }
    !on { next }
    /^[0-9a-f]+   Entry/ { t = ($0 ~ "ID: " type ",") }
    /^[0-9a-f]+     Entry/ { n = ($0 ~ "ID: " name ",") }
    /Leaf:/ && t && n { print; exit }' <<<"$dump")
  [ -n "$leaf" ] || return 1
  rva=$(sed -n 's/.*Addr: 0x\([0-9a-f]*\),.*/\1/p' <<<"$leaf")
  size=$(sed -n 's/.*Size: 0x\([0-9a-f]*\),.*/\1/p' <<<"$leaf")
  # The .rsrc section's address and file offset turn the address into one of the file.
  read -r vma off < <(i686-w64-mingw32-objdump -h "$exe" | awk '$2 == ".rsrc" { print $4, $6 }')
  [ -n "$vma" ] || return 1
  tail -c +$(( 0x$off + 0x$rva - (0x$vma - $(image_base)) + 1 )) "$exe" | head -c $(( 0x$size ))
}

# The image base, which objdump -h adds to section addresses.
image_base() { printf '%d' "0x$(sed -n 's/^ImageBase[[:space:]]*//p' <<<"$dump")"; }

pe_checks() {
  local tool=$1 dll manifest id
  exe=$2
  export LC_ALL=C   # objdump's words are matched below
  dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "$tool: cannot read $exe" >&2; exit 1; }
  fail=0
  bad() { echo "$tool: $exe: $*" >&2; fail=1; }
  grep -q 'file format pei-i386$' <<<"$dump" || bad "not a 32-bit (i386) program"
  grep -qE '^Subsystem[[:space:]]+00000002' <<<"$dump" || bad "not a GUI program"
  while read -r dll; do
    [[ " $(echo $KNOWN_DLLS) " == *" ${dll,,} "* ]] || bad "imports $dll, which is not a KnownDLL"
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
  manifest=$(pe_resource 0x000018 0x000001 | tr -d '\0') || manifest=
  if [ -z "$manifest" ]; then
    bad "has no manifest (resource 24/1)"
  else
    grep -q 'requestedExecutionLevel level="asInvoker"' <<<"$manifest" || bad "its manifest does not ask for asInvoker"
    for id in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
              4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 \
              8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
      grep -q "supportedOS Id=\"{$id}\"" <<<"$manifest" || bad "its manifest lacks supportedOS {$id}"
    done
    ! grep -q activeCodePage <<<"$manifest" || bad "its manifest sets activeCodePage"
  fi
}

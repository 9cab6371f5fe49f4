# pe-checks.sh - sourced by check-pe.sh and check-launcher.sh: what both
# shipped programs must be as files, read with objdump on Linux.
#
# pe_checks TOOL EXE 'DLL DLL ...' - sets $dump (objdump -p of EXE) and
# $fail, defines bad(), and checks that EXE is a 32-bit (i386) GUI program
# that imports only the DLLs listed (lower case).
pe_checks() {
  local tool=$1 dll
  exe=$2
  export LC_ALL=C   # objdump's words are matched below
  dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "$tool: cannot read $exe" >&2; exit 1; }
  fail=0
  bad() { echo "$tool: $exe: $*" >&2; fail=1; }
  grep -q 'file format pei-i386$' <<<"$dump" || bad "not a 32-bit (i386) program"
  grep -qE '^Subsystem[[:space:]]+00000002' <<<"$dump" || bad "not a GUI program"
  while read -r dll; do
    [[ " $3 " == *" ${dll,,} "* ]] || bad "imports $dll, which is not one of its system DLLs"
  done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
}

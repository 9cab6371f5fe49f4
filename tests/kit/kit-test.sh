#!/usr/bin/env bash
# kit-test.sh KIT-BUILD WIN-BUILD - the publisher's kit used as a publisher
# uses it. KIT-BUILD is a tools-only build whose package target has made
# the .deb and the zip; WIN-BUILD is the i686 target build (its DEMO.EXE,
# its Wine prefix and its Win32 test program).
#
# The .deb is checked by lintian and unpacked into a temporary root; its
# setupdist (not the build tree's) lays out the demo and the demo as one
# file, its setupinf-check passes both, and a one file it makes installs
# under Wine. Then the same with the zip's setupdist.exe and
# setupinf-check.exe, run under Wine.
set -euo pipefail
kit=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
fail() { echo "kit-test: $*" >&2; exit 1; }

version=$(sed -n 's/^project(korvalsetup VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
deb=$kit/setupdist_${version}_$(dpkg --print-architecture).deb
zip=$kit/setupdist-$version-win32.zip
[ -f "$deb" ] || fail "no $deb"
[ -f "$zip" ] || fail "no $zip"

lintian --suppress-tags running-with-root-privileges "$deb" > "$kit/lintian.txt" 2>&1 || true
! grep -q '^E:' "$kit/lintian.txt" || fail "lintian reports errors: $(grep '^E:' "$kit/lintian.txt")"

t=$kit/kit-test
rm -rf "$t"
mkdir -p "$t"
dpkg-deb -x "$deb" "$t/root"
unzip -q "$zip" -d "$t"
usr=$t/root/usr
zipdir=$t/setupdist-$version-win32
for f in "$usr/share/setupdist/SETUP.EXE" "$usr/share/setupdist/LAUNCHER.EXE" \
         "$usr/share/doc/setupdist/setup-inf.md" "$usr/share/man/man1/setupdist.1.gz" \
         "$usr/share/man/man1/setupinf-check.1.gz" "$zipdir/SETUP.EXE" "$zipdir/LAUNCHER.EXE" \
         "$zipdir/setup-inf.md" "$zipdir/setupinf-check.exe"; do
  [ -f "$f" ] || fail "the kit lacks ${f#$t/}"
done
[ "$("$usr/bin/setupdist" --version)" = "setupdist $version" ] || fail "setupdist --version is not $version"
# The zip's tools are run from wherever it was unpacked (a Downloads
# folder): like the programs, they import KnownDLLs only.
source "$root/scripts/pe-checks.sh"
for exe in setupdist.exe setupinf-check.exe; do
  for dll in $(i686-w64-mingw32-objdump -p "$zipdir/$exe" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    [[ " $(echo $KNOWN_DLLS) " == *" ${dll,,} "* ]] || fail "the zip's $exe imports $dll, which is not a KnownDLL"
  done
done

# The demo's application folder, as make-demo.sh builds it.
app=$t/app
cp -r "$root/demo/app" "$app"
cp "$win/DEMO.EXE" "$app/DEMO.EXE"
sed '/^\[PM Info\]/,/^\[/{/^.[Ss]/d}' "$root/demo/SETUP.TPL" > "$t/ONEFILE.TPL"

# check_one_file ONE.EXE CHECKER... - the distribution inside the one file
# passes the checker.
check_one_file() {
  local one=$1 out=${1%.exe}.unpacked
  shift
  cabextract -q -d "$out" "$one" >/dev/null || fail "cabextract cannot open $one"
  "$@" "$out/SETUP.INF" > "$out.check" 2>&1 || fail "the checker refuses $out/SETUP.INF: $(cat "$out.check")"
}

# The package's tools, from its unpacked root: they find their programs in
# ../share/setupdist, nothing of this tree.
"$usr/bin/setupdist" "$root/demo/SETUP.TPL" "$app" "$t/deb-demo" > "$t/deb.log" \
  || fail "the package's setupdist cannot lay out the demo: $(cat "$t/deb.log")"
"$usr/bin/setupdist" --single-file "$t/deb-demo.exe" "$t/ONEFILE.TPL" "$app" "$t/deb-onefile" >> "$t/deb.log" \
  || fail "the package's setupdist cannot make the demo as one file: $(cat "$t/deb.log")"
cmp -s "$t/deb-demo/SETUP.EXE" "$usr/share/setupdist/SETUP.EXE" || fail "the demo does not carry the package's SETUP.EXE"
"$usr/bin/setupinf-check" "$t/deb-demo/SETUP.INF" > "$t/deb-check.txt" \
  || fail "the package's setupinf-check refuses the demo: $(cat "$t/deb-check.txt")"
check_one_file "$t/deb-demo.exe" "$usr/bin/setupinf-check"

if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "kit-test: this machine cannot run 32-bit programs; the kit's Windows programs were not run"
  exit 0
fi

export BUILD_WIN=$win
source "$root/scripts/wine-env.sh"
wine_prefix_init
trap wine_session_stop EXIT
wine_session_start

# The zip's tools under Wine, in the folder they write to, with relative
# paths (as a publisher on Windows would type them).
winrun() { "$root/scripts/wine-run.sh" "$@" </dev/null; }
mkdir -p "$t/zip"
cp -r "$app" "$t/zip/app"
cp "$root/demo/SETUP.TPL" "$t/ONEFILE.TPL" "$t/zip/"
(cd "$t/zip" && winrun "$zipdir/setupdist.exe" SETUP.TPL app demo > ../zip.log 2>&1 &&
  winrun "$zipdir/setupdist.exe" --single-file demo.exe ONEFILE.TPL app onefile >> ../zip.log 2>&1) \
  || fail "the zip's setupdist.exe cannot make the demo: $(cat "$t/zip.log")"
cmp -s "$t/zip/demo/SETUP.EXE" "$zipdir/SETUP.EXE" || fail "the zip's demo does not carry the zip's SETUP.EXE"
winrun "$zipdir/setupinf-check.exe" "$t/zip/demo/SETUP.INF" > "$t/zip-check.txt" 2>&1 \
  || fail "the zip's setupinf-check.exe refuses the demo: $(cat "$t/zip-check.txt")"
check_one_file "$t/zip/demo.exe" winrun "$zipdir/setupinf-check.exe"

# A one file from each kit installs, signed or not, and damage is refused.
SETUPDIST="$usr/bin/setupdist" KIT_PROGRAMS=$usr/share/setupdist SINGLE_FILE_MADE=$t/deb-round \
  "$root/tests/win32/single-file-test.sh" "$win/win32_tests.exe"
SETUPDIST="$root/scripts/wine-run.sh $zipdir/setupdist.exe" KIT_PROGRAMS=$zipdir SINGLE_FILE_MADE=$t/zip-round \
  "$root/tests/win32/single-file-test.sh" "$win/win32_tests.exe"
echo "kit-test: the package and the zip make distributions that check and install"

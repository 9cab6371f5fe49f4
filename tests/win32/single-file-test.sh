#!/usr/bin/env bash
# single-file-test.sh WIN32_TESTS.EXE - one-file distributions made on
# Linux, as a publisher makes them: the build's Linux setupdist writes one
# (its cabinet with libgcab), cabextract lists it, osslsigncode signs a copy
# with a throw-away certificate from openssl, and two copies are damaged
# (cut in the payload, one byte changed). The Win32 test program then runs
# each under Wine (OneFileWin32.FilesMadeOnLinux...).
#
# SETUPDIST, when set, is the command that writes the file instead: an
# installed kit's setupdist with its own SETUP.EXE and launcher (their
# folder in KIT_PROGRAMS), or the zip's setupdist.exe under Wine. It runs
# in the folder of the files, with relative paths, which both understand.
set -euo pipefail
tests_exe=$(readlink -f "$1")
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
build=$(cd "$(dirname "$tests_exe")" && pwd)
made=${SINGLE_FILE_MADE:-$build/onefile}
fail() { echo "single-file-test: $*" >&2; exit 1; }

rm -rf "$made"
mkdir -p "$made/app/BIN" "$made/app/数据/深"
seq 1 8000 > "$made/app/说明.TXT"
cp "$build/DEMO.EXE" "$made/app/PROG.EXE"
head -c 30000 /dev/urandom > "$made/app/BIN/RANDOM.BIN"
: > "$made/app/BIN/EMPTY.DAT"
seq 1 500 > "$made/app/数据/深/表.TXT"
printf '[App]\r\nAppName=单一文件\r\nDefDir=C:\\X\\\r\nDefPMGroup=,单一文件L\r\n[PM Info]\r\nxDxPROG.EXE,程序\r\nxDx数据\\深\\表.TXT,表\r\n' \
  > "$made/SETUP.TPL"
export BUILD_WIN=$build
source "$scripts/wine-env.sh"
programs=${KIT_PROGRAMS:-$build}
cd "$made"
if [ -n "${SETUPDIST:-}" ]; then
  $SETUPDIST --single-file plain.exe SETUP.TPL app out > setupdist.log 2>&1 </dev/null \
    || fail "$SETUPDIST failed: $(cat setupdist.log)"
else
  "$build/host-tools/setupdist" --setup-exe "$build/SETUP.EXE" --launcher "$build/LAUNCHER.EXE" \
    --single-file plain.exe SETUP.TPL app out > setupdist.log || fail "setupdist failed: $(cat setupdist.log)"
fi
# cabextract lists exactly the distribution folder's files.
cabextract -l plain.exe > list.txt || fail "cabextract cannot open plain.exe"
listed=$(sed -n 's/^ *[0-9][0-9]* | [0-9.]* [0-9:]* | //p' list.txt | sort)
laid_out=$(cd out && find . -type f | sed 's|^\./||' | sort)
[ -n "$listed" ] && [ "$listed" = "$laid_out" ] || fail "cabextract lists $listed; the folder holds $laid_out"

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Test Publisher" \
  2>/dev/null || fail "openssl cannot make a certificate"
osslsigncode sign -certs cert.pem -key key.pem -n "单一文件" -in plain.exe -out signed.exe >/dev/null \
  || fail "osslsigncode cannot sign plain.exe"
osslsigncode verify -CAfile cert.pem -in signed.exe >/dev/null || fail "the signature of signed.exe does not verify"

size=$(stat -c %s plain.exe)
launcher=$(stat -c %s "$programs/LAUNCHER.EXE")
head -c $(((launcher + size) / 2)) plain.exe > cut.exe
cp plain.exe changed.exe
perl -e 'open(F, "+<", $ARGV[0]) or die; seek(F, $ARGV[1], 0); read(F, $b, 1);
         seek(F, $ARGV[1], 0); print F chr(ord($b) ^ 0xFF); close(F)' changed.exe $(((launcher + size) / 2))

SINGLE_FILE_DIR=$(winepath -w "$made" 2>/dev/null | tr -d '\r')
export SINGLE_FILE_DIR
"$scripts/wine-test.sh" "$tests_exe" \
  --gtest_filter='OneFileWin32.FilesMadeOnLinux*'

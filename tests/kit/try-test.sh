#!/usr/bin/env bash
# try-test.sh KIT-BUILD WIN-BUILD - setupdist --try as a publisher runs it,
# with the kit's setupdist on the demo of the i686 target build:
#   the demo installs, every file checked, five pictures or more, the
#   group's three items; its page renders in a real browser (headless
#   Chromium) to a picture that is not blank;
#   a compressed file cut short: exit code 1, the report names the file
#   and holds the copy error's message;
#   the demo as one file: the same files checked as from its folder;
#   an English system locale: the report shows what the user meets there.
set -euo pipefail
kit=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)
fail() { echo "try-test: $*" >&2; exit 1; }
t=$kit/try-test
rm -rf "$t"
mkdir -p "$t"

# json FILE EXPRESSION - a value of a report, by a Python expression over r.
json() { python3 -c "import json,sys; r=json.load(open(sys.argv[1])); print($2)" "$1"; }

try() {
  local rc=0
  "$kit/setupdist" --try "$@" > "$t/last.log" 2>&1 </dev/null || rc=$?
  echo "$rc"
}

rc=$(try "$win/demo" --report "$t/demo")
[ "$rc" = 0 ] || fail "the demo: exit code $rc: $(cat "$t/last.log")"
r=$t/demo/report.json
[ "$(json "$r" 'r["verdict"]')" = installed ] || fail "the demo's verdict: $(json "$r" 'r["verdict"]')"
files=$(json "$r" 'len(r["files"])')
ok=$(json "$r" 'sum(1 for f in r["files"] if f["check"] == "ok")')
# Every file of the distribution but SETUP.EXE and SETUP.INF is installed.
want=$(find "$win/demo" -type f ! -name SETUP.EXE ! -name SETUP.INF | wc -l)
[ "$files" = "$want" ] && [ "$ok" = "$want" ] || fail "the demo: $ok of $files files ok, the distribution has $want"
[ "$(json "$r" 'len(r["shots"])')" -ge 5 ] || fail "the demo: fewer than 5 screenshots"
for s in $(json "$r" '" ".join(s["file"] for s in r["shots"])'); do
  [ -s "$t/demo/$s" ] || fail "the demo: no picture $s beside the page"
done
[ "$(json "$r" 'len(r["items"])')" = 3 ] || fail "the demo: not the group's three items"
grep -q '<img' "$t/demo/index.html" || fail "the demo's page shows no picture"
! grep -qiE '<script|https?://' "$t/demo/index.html" || fail "the demo's page has a script or a network address"

# The page in a real browser, headless: a picture with more than a few colours.
chromium --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1024,1400 \
  --screenshot="$t/page.png" "file://$t/demo/index.html" >/dev/null 2>&1 || fail "Chromium could not open the page"
colours=$(identify -format '%k' "$t/page.png")
[ "$colours" -gt 50 ] || fail "the page renders nearly blank ($colours colours)"

# A compressed file cut short.
cp -r "$win/demo" "$t/cut"
victim=$(cd "$t/cut" && for f in $(find . -type f ! -name 'SETUP.*'); do
  head -c 4 "$f" | grep -q SZDD && { echo "${f#./}"; break; }; done)
[ -n "$victim" ] || fail "the demo has no compressed file"
size=$(stat -c %s "$t/cut/$victim")
truncate -s $((size / 2)) "$t/cut/$victim"
rc=$(try "$t/cut" --report "$t/cut.try")
r=$t/cut.try/report.json
[ "$rc" = 1 ] || fail "a file cut short: exit code $rc, not 1"
# Its name as installed: the stored name's last character restored.
name=$(basename "${victim%?}")
wrong=$(json "$r" '"\n".join(f["name"] for f in r["files"] if f["check"] != "ok")')
grep -iE "(^|[\\])$name.\$" <<<"$wrong" >/dev/null || fail "a file cut short: the report's files do not name $name as wrong"
json "$r" '"\n".join(b["text"] for b in r["boxes"])' | grep '拷贝 .* 出错' >/dev/null \
  || fail "a file cut short: no copy error in the report's messages"

# The demo as one file: the same files, checked the same.
rc=$(try "$win/demo-setup.exe" --report "$t/one")
[ "$rc" = 0 ] || fail "the demo as one file: exit code $rc: $(cat "$t/last.log")"
[ "$(json "$t/one/report.json" 'sorted((f["name"], f["check"]) for f in r["files"])')" = \
  "$(json "$t/demo/report.json" 'sorted((f["name"], f["check"]) for f in r["files"])')" ] \
  || fail "the one file's files are not the folder's"

# An English system: the code page message, nothing installed.
rc=$(try "$win/demo" --locale en_US.UTF-8 --report "$t/en")
r=$t/en/report.json
[ "$rc" = 1 ] || fail "under en_US: exit code $rc, not 1"
json "$r" '"\n".join(b["text"] for b in r["boxes"])' | grep 'Change system locale' >/dev/null \
  || fail "under en_US: the report does not show the code page message"
[ "$(json "$r" 'len(r["shots"])')" -ge 1 ] || fail "under en_US: no picture of the message"
echo "try-test: --try reports the demo, a cut file, the one file and an English system as a user meets them"

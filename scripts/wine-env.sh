# wine-env.sh - sourced by the scripts that run Win32 programs under Wine.
#
# Sets the Wine environment of one build tree ($BUILD_WIN, default
# build/win: its own prefix, code page 936, no menu files written to
# $HOME). The tree's wine-arch file, written by CMake, says which Wine runs
# it: i686 (Debian's wine wrapper) or x86_64 (the 64-bit loader called
# directly, since the wrapper picks the 32-bit one whenever it exists).
# Offers:
#   wine_prefix_init    create and configure the prefix once
#   wine_session_start  start Xvfb (when there is no display) and Wine's
#                       background processes, outside of any test runner
#   wine_session_stop   stop what wine_session_start started

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_WIN=${BUILD_WIN:-$ROOT/build/win}
export BUILD_WIN
export WINEPREFIX=$BUILD_WIN/wineprefix
WINE_ARCH=i686
[ -f "$BUILD_WIN/wine-arch" ] && WINE_ARCH=$(cat "$BUILD_WIN/wine-arch")
if [ "$WINE_ARCH" = x86_64 ]; then
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
  wine() { "$WINELOADER" "$@"; }
  wineserver() { "$WINESERVER" "$@"; }
  wineboot() { "$WINELOADER" wineboot.exe "$@"; }
  winepath() { "$WINELOADER" winepath.exe "$@"; }
  export -f wine wineserver wineboot winepath
  WINE_CMD=$WINELOADER
else
  unset -f wine wineserver wineboot winepath
  unset WINEARCH WINELOADER WINESERVER
  WINE_CMD=wine
fi
export WINEDEBUG=${WINEDEBUG:--all}
# cabinet and comctl32 are not KnownDLLs: a DLL of that name beside a
# program comes before the system's, as on Windows (Wine prefers its own
# otherwise), so that the tests see a planted one loaded.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;cabinet,comctl32=n,b"
# LC_CTYPE decides Wine's ANSI code page: zh_CN.UTF-8 gives 936;
# WINE_LOCALE=en_US.UTF-8 runs a program as on a system of code page 1252.
export LANG=${WINE_LOCALE:-zh_CN.UTF-8}
export LC_ALL=$LANG

WINE_STATE=$BUILD_WIN/wine-session
# A display of the user's own is used as it is; otherwise the session's Xvfb.
WINE_USER_DISPLAY=${WINE_USER_DISPLAY-${DISPLAY:-}}
export WINE_USER_DISPLAY
[ -z "$WINE_USER_DISPLAY" ] && [ -f "$WINE_STATE/display" ] && export DISPLAY=$(cat "$WINE_STATE/display")

# Runs a set-up command quietly, but shows its output when it fails.
wine_quiet() {
  local log
  log=$(mktemp)
  if "$@" >"$log" 2>&1; then rm -f "$log"; return 0; fi
  echo "wine-env: '$*' failed:" >&2
  tail -n 20 "$log" >&2
  rm -f "$log"
  return 1
}

wine_prefix_init() {
  [ -f "$WINEPREFIX/.configured" ] && return 0
  echo "wine-env: creating the Wine prefix $WINEPREFIX ($WINE_ARCH)" >&2
  mkdir -p "$BUILD_WIN"
  rm -rf "$WINEPREFIX"
  wine_quiet wineboot -i || { echo "wine-env: Wine could not create the prefix $WINEPREFIX" >&2; return 1; }
  wineserver -w
  # Debian's Wine does not find its own fonts otherwise.
  cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  local fonts='HKCU\Software\Wine\Fonts\Replacements'
  wine reg add "$fonts" /v 宋体 /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
  wine reg add "$fonts" /v SimSun /d "WenQuanYi Micro Hei" /f >/dev/null 2>&1
  # A virtual desktop: no 2-second stall per closed window under bare Xvfb.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wineserver -w
  wine reg query 'HKCU\Software\Wine\Fonts\Replacements' 2>/dev/null | grep -q 'WenQuanYi' || {
    echo "wine-env: the prefix could not be configured" >&2; return 1; }
  touch "$WINEPREFIX/.configured"
}

# Whether this prefix's desktop process runs (other prefixes may have theirs).
wine_desktop_running() {
  local p
  for p in $(pgrep -f 'explorer.exe /desktop'); do
    tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}

wine_session_start() {
  # A session left over (a run that was killed) is ended first: its desktop
  # belongs to a display that may be gone.
  wine_session_stop
  mkdir -p "$WINE_STATE"
  if [ -z "$WINE_USER_DISPLAY" ]; then
    local n=91
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! > "$WINE_STATE/xvfb.pid"
    echo ":$n" > "$WINE_STATE/display"
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  [ "${WINE_TEST_DRIVES:-1}" = 1 ] && wine_test_drives
  # Wine's background processes must not inherit a test runner's pipes.
  wineserver -p >/dev/null 2>&1 || true   # already running is fine
  wine wineboot >/dev/null 2>&1 </dev/null || true
  # Wine's desktop (the virtual desktop and the PROGMAN DDE server) starts
  # with the first window; start it here so no test runner owns it.
  if ! wine_desktop_running; then
    (wine explorer.exe /desktop=Default,1024x768 >/dev/null 2>&1 </dev/null &)
    local j
    for j in $(seq 100); do wine_desktop_running && break; sleep 0.1; done
  fi
}

# The tests' drives (setupdist --try, which shares this file, has none).
wine_test_drives() {
  # Drive letters for tests that start from a drive root or type another
  # drive: D: and R: are empty folders of the build, fresh each session.
  local letter
  for letter in d r; do
    rm -rf "$BUILD_WIN/drive-$letter"
    mkdir -p "$BUILD_WIN/drive-$letter"
    ln -sfn "$BUILD_WIN/drive-$letter" "$WINEPREFIX/dosdevices/$letter:"
  done
  # S: is a second name of D:'s folder: one file under two drive letters.
  ln -sfn "$BUILD_WIN/drive-d" "$WINEPREFIX/dosdevices/s:"
  # Q: names a folder that does not exist: a drive without a medium.
  ln -sfn "$BUILD_WIN/no-medium" "$WINEPREFIX/dosdevices/q:"
  # F: is a 1 MB disk that fills up; same-a and same-b are two small disks
  # reached only through Z:, whose first files share an inode number. Where
  # no file system can be mounted they are plain folders, and the tests
  # that need them say so.
  local disk
  for disk in drive-f same-a same-b; do
    umount "$BUILD_WIN/$disk" 2>/dev/null || true
    rm -rf "$BUILD_WIN/$disk"
    mkdir -p "$BUILD_WIN/$disk"
    mount -t tmpfs -o size=1m tmpfs "$BUILD_WIN/$disk" 2>/dev/null || true
  done
  ln -sfn "$BUILD_WIN/drive-f" "$WINEPREFIX/dosdevices/f:"
}

wine_session_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  local disk
  for disk in drive-f same-a same-b; do
    umount "$BUILD_WIN/$disk" 2>/dev/null || true
  done
  if [ -f "$WINE_STATE/xvfb.pid" ]; then
    kill "$(cat "$WINE_STATE/xvfb.pid")" 2>/dev/null || true
    rm -f "$WINE_STATE/xvfb.pid" "$WINE_STATE/display"
  fi
  [ -z "$WINE_USER_DISPLAY" ] && unset DISPLAY
  return 0
}

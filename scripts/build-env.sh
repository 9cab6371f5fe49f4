# build-env.sh - sourced by test.sh and run.sh: the target build trees and
# a session of Win32 tests under Wine, with every failure of the set-up
# named before the script stops.

CURRENT_STEP="set-up"
FAILED_COMMAND=
EXIT_HOOK=:
step() { CURRENT_STEP=$*; echo "== $*"; }
# at_exit COMMAND - what to run when the script ends (one command).
at_exit() { EXIT_HOOK=$1; }
trap 'FAILED_COMMAND=$BASH_COMMAND' ERR
trap 'rc=$?; $EXIT_HOOK; [ $rc -eq 0 ] || echo "${0##*/}: failed with exit status $rc in \"$CURRENT_STEP\"${FAILED_COMMAND:+: $FAILED_COMMAND}" >&2' EXIT

# Runs a command with its output kept back, and shown when it fails.
quiet() {
  local log rc=0
  log=$(mktemp)
  "$@" >"$log" 2>&1 || rc=$?
  [ $rc -ne 0 ] && tail -n 30 "$log" >&2
  rm -f "$log"
  return $rc
}

# Sets SETUP_WIN_ARCH (i686 or x86_64) and WINE_ARCH_WHY. A machine whose
# kernel runs no 32-bit code cannot start Wine's 32-bit loader, so that is
# what is tried; SETUP_WIN_ARCH set beforehand overrides the choice.
wine_pick_arch() {
  if [ -n "${SETUP_WIN_ARCH:-}" ]; then
    case "$SETUP_WIN_ARCH" in
      i686|x86_64) WINE_ARCH_WHY="chosen by SETUP_WIN_ARCH" ;;
      *) echo "${0##*/}: SETUP_WIN_ARCH must be i686 or x86_64, not '$SETUP_WIN_ARCH'" >&2; return 1 ;;
    esac
  elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
    SETUP_WIN_ARCH=i686
    WINE_ARCH_WHY="this machine runs 32-bit programs"
  else
    SETUP_WIN_ARCH=x86_64
    WINE_ARCH_WHY="this machine cannot run 32-bit programs (Wine's 32-bit loader does not start)"
  fi
  export SETUP_WIN_ARCH
}

# configure_win ARCH - configures build/win (i686) or build/win64 (x86_64).
configure_win() {
  local dir=$ROOT/build/win extra=()
  if [ "$1" = x86_64 ]; then
    dir=$ROOT/build/win64
    # Tests about the shipped file itself look at the i686 one.
    extra=(-DSETUP_SHIPPED_EXE="$ROOT/build/win/SETUP.EXE")
  fi
  cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-$1.cmake" "${extra[@]}" >/dev/null
}

# run_wine_tests TREE - every test of one target tree under its own Wine session.
run_wine_tests() {
  step "Win32 tests under Wine ($1)"
  (
    BUILD_WIN=$1
    source "$ROOT/scripts/wine-env.sh"
    wine_prefix_init
    trap wine_session_stop EXIT
    wine_session_start
    ctest --test-dir "$BUILD_WIN" --timeout 300 --output-on-failure
  )
}

#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine: the emulator of the win32 and
# win64 builds' tests.
#
#   wine-run.sh win64|win32 PROGRAM.exe [ARGS...]
#
# Each build keeps its own Wine prefix beside the program (wineprefix-ARCH),
# created once under a lock. When this machine cannot execute 32-bit programs
# (see probe-exec32.sh), or 32-bit Wine cannot be brought up, the run says so
# plainly and exits 77, which CTest reports as skipped.
set -u
arch=$1; shift
program=$1; shift
here=$(cd "$(dirname "$0")" && pwd)

case $arch in
  win64)
    wine=${QUORBEL_WINE64:-/usr/lib/wine/wine64}
    if [ ! -x "$wine" ]; then echo "SKIPPED: 64-bit Wine is not installed ($wine)"; exit 77; fi
    export WINEARCH=win64 ;;
  win32)
    if ! reason=$(bash "$here/probe-exec32.sh"); then
      echo "SKIPPED: the 32-bit DLL cannot run on this machine: $reason"
      exit 77
    fi
    if ! wine=$(bash "$here/setup-wine32.sh" 2>"${TMPDIR:-/tmp}/quorbel-wine32-setup.log"); then
      echo "SKIPPED: 32-bit Wine could not be set up on this machine:"
      tail -n 5 "${TMPDIR:-/tmp}/quorbel-wine32-setup.log"
      exit 77
    fi ;;
  *) echo "wine-run.sh: unknown architecture '$arch'" >&2; exit 2 ;;
esac

export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$program")" && pwd)/wineprefix-$arch}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINE32PREFIX=$WINEPREFIX

# Create the prefix once; concurrent tests wait for the first.
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.quorbel-ready" ]; then
    "$wine" wineboot.exe --init >/dev/null 2>&1
    touch "$WINEPREFIX/.quorbel-ready"
  fi
) 9>"$WINEPREFIX.lock"

"$wine" "$program" "$@"

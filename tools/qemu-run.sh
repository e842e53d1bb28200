#!/usr/bin/env bash
# Runs a program of the 32-bit Linux build under user-mode emulation: the
# emulator of the linux32 build's tests. It needs no binfmt registration.
# A missing emulator is reported as a skip (exit 77).
#
#   qemu-run.sh PROGRAM [ARGS...]
set -u
qemu=${QUORBEL_QEMU_I386:-$(command -v qemu-i386-static || true)}
if [ -z "$qemu" ] || [ ! -x "$qemu" ]; then
  echo "SKIPPED: qemu-i386-static is not installed (Debian package qemu-user-static)"
  exit 77
fi
export QUORBEL_EMULATED=1  # tests that the emulator cannot host skip themselves
exec "$qemu" -L /usr/i686-linux-gnu "$@"

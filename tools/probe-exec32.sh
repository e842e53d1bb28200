#!/usr/bin/env bash
# Tells whether this machine can execute 32-bit x86 programs, which 32-bit
# Wine needs. Some kernels refuse every 32-bit ELF program ("Exec format
# error"); there the 32-bit DLL cannot run at all.
#
# Exits 0 when 32-bit programs run; otherwise prints the reason and exits 1.
# QUORBEL_NO_EXEC32=1 forces the answer "cannot run", so that the skipping
# path can be tested on any machine.
set -u
if [ "${QUORBEL_NO_EXEC32:-}" = 1 ]; then
  echo "32-bit programs are taken as unable to run here (QUORBEL_NO_EXEC32=1)"
  exit 1
fi
loader=/lib/ld-linux.so.2
if [ ! -e "$loader" ]; then
  # The loader is the one system piece 32-bit Wine needs; install it to ask.
  libc_version=$(dpkg-query -W -f='${Version}' libc6 2>/dev/null)
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "libc6-i386=$libc_version" \
    >/dev/null 2>&1 || true
fi
if [ ! -e "$loader" ]; then
  echo "the 32-bit loader $loader cannot be installed (Debian package libc6-i386)"
  exit 1
fi
if ! output=$("$loader" --version 2>&1); then
  echo "this kernel cannot execute 32-bit programs ($loader: $(head -n 1 <<<"${output##*: }"))"
  exit 1
fi
exit 0

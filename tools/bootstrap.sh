#!/usr/bin/env bash
# Installs from Debian's packages whatever the builds and tests need and this
# machine lacks. Run as root. A failed index (for instance of a foreign
# architecture) during apt-get update does not stop the setup.
set -uo pipefail
packages=(
  cmake ninja-build g++ make util-linux binutils
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64
  clang libclang-rt-14-dev
  ca-certificates
)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: every package is installed"
  exit 0
fi
echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update || echo "bootstrap: apt-get update reported a failure; going on with the indexes it has"
apt-get install -y --no-install-recommends "${missing[@]}"

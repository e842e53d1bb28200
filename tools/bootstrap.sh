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
  g++-i686-linux-gnu qemu-user-static libboost-math-dev pkg-config zip
  python3 python3-dev python3-venv python3-pip python3-setuptools python3-numpy python3-pytest
  python3-wheel python3-pefile dpkg-dev lintian
  r-base-dev r-cran-jsonlite r-cran-tinytest
  emscripten node-acorn chromium
  locales ca-certificates
)
# Locales the tests run the tool under: a Spanish and a German one, whose
# numbers use a decimal comma.
make_locales() {
  for name in es_ES de_DE en_US; do
    locale -a 2>/dev/null | grep -qi "^$name\.utf-\?8$" && continue
    localedef -i "$name" -f UTF-8 "$name.UTF-8" 2>/dev/null || echo "bootstrap: cannot generate $name.UTF-8"
  done
}
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: every package is installed"
  make_locales
  exit 0
fi
echo "bootstrap: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update || echo "bootstrap: apt-get update reported a failure; going on with the indexes it has"
apt-get install -y --no-install-recommends "${missing[@]}"
make_locales

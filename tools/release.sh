#!/usr/bin/env bash
# Builds the release archives from the native and win32 builds:
#   build/release/quorbel-VERSION-win32.zip           Quorbel.dll, Quorbel.lib, Quorbel.def,
#                                                     quorbel.h, quorbel.exe, README, licence
#   build/release/quorbel-VERSION-linux-x86_64.tar.gz the installed tree (library, headers,
#                                                     pkg-config, CMake package, tool, manual
#                                                     page), README, licence
# Usage: bash tools/release.sh   (configures and builds both presets as needed)
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^#define QUORBEL_VERSION "\(.*\)"$/\1/p' include/quorbel.h)
for preset in native win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done
out=build/release
rm -rf "$out"
mkdir -p "$out"
licence=()
[ -f LICENSE ] && licence=(LICENSE)
# quorbel.exe and the native library carry musl's elementary functions.
cp third_party/musl-libm/COPYRIGHT "$out/musl-COPYRIGHT.txt"
licence+=("$out/musl-COPYRIGHT.txt")

win=$out/quorbel-$version-win32
mkdir -p "$win"
cp build/win32/Quorbel.dll build/win32/Quorbel.lib src/Quorbel.def include/quorbel.h build/win32/quorbel.exe \
   README.md "${licence[@]}" "$win/"
(cd "$out" && cmake -E tar cf "quorbel-$version-win32.zip" --format=zip "quorbel-$version-win32")

linux=$out/quorbel-$version-linux-x86_64
cmake --install build/native --prefix "$PWD/$linux" >/dev/null
cp README.md "${licence[@]}" "$linux/"
(cd "$out" && tar czf "quorbel-$version-linux-x86_64.tar.gz" "quorbel-$version-linux-x86_64")
[ ${#licence[@]} -gt 0 ] || echo "release: no LICENSE file in the tree; the archives carry none"
echo "$out/quorbel-$version-win32.zip"
echo "$out/quorbel-$version-linux-x86_64.tar.gz"

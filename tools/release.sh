#!/usr/bin/env bash
# Builds the release packages of the current commit, each in the form its
# users install, into build/release/ (or the folder given):
#   quorbel-V-win32.zip, quorbel-V-win64.zip  Quorbel.dll, Quorbel.lib, quorbel.h and
#                                             quorbel_version.h, Quorbel.def, quorbel.exe, README.md
#   quorbel-V-linux-x86_64.tar.gz             the tree `cmake --install` writes
#   quorbel_V.tar.gz                          the R source package (R CMD INSTALL)
#   quorbel-V.tar.gz, quorbel-V-*.whl         the Python sdist and wheel
#   quorbel-V-web.zip                         the page, which opens from the disk
#   quorbel-V-source.tar.gz                   git archive of the commit
#   quorbel_V_amd64.deb                       library, headers, tool, manual page, completion
#   SHA256SUMS                                over all of them
# Each carries LICENSE and THIRD-PARTY-NOTICES (the .deb as its copyright
# file). Every time inside is the commit's (SOURCE_DATE_EPOCH), members are
# sorted and no build folder is named, so the same commit gives the same bytes.
#   bash tools/release.sh [OUT]   (configures and builds the presets it needs)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath -m "${1:-build/release}")
work=$out.work
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export LC_ALL=C TZ=UTC
python=/usr/bin/python3
version=$(bash tools/version.sh)
notices=(LICENSE THIRD-PARTY-NOTICES)
rm -rf "$out" "$work"
mkdir -p "$out" "$work"
trap 'rm -rf "$work"' EXIT

pack() { "$python" "$root/tools/pack.py" "$@"; }
build_preset() {  # build_preset PRESET TARGET...: what the packages take of a build
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" --target "${@:2}" >/dev/null
}

windows_zip() {  # windows_zip PRESET NAME
  local folder=$work/quorbel-$version-$2
  mkdir -p "$folder"
  cp "build/$1/Quorbel.dll" "build/$1/Quorbel.lib" "build/$1/quorbel.exe" "build/$1/include/quorbel_version.h" \
     include/quorbel.h README.md "${notices[@]}" "$folder/"
  if [ "$1" = win32 ]; then cp src/Quorbel.def "$folder/"; else cp "build/$1/generated/Quorbel64.def" "$folder/Quorbel.def"; fi
  pack "$out/quorbel-$version-$2.zip" "$folder"
}

linux_tarball() {
  local folder=$work/quorbel-$version-linux-x86_64
  cmake --install build/native --prefix "$folder" >/dev/null
  cp README.md "${notices[@]}" "$folder/"
  pack "$out/quorbel-$version-linux-x86_64.tar.gz" "$folder"
}

r_package() {
  local tarball folder=$work/r
  tarball=$(QUORBEL_R_BUILD_ONLY=1 bash tools/build-r-package.sh | tail -n 1)
  mkdir -p "$folder" && tar xzf "$tarball" -C "$folder"
  # R CMD build stamps the hour and the user; the commit's time stands for both.
  sed -i "s/^Packaged: .*/Packaged: $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S') UTC; quorbel/" \
    "$folder/quorbel/DESCRIPTION"
  pack "$out/quorbel_$version.tar.gz" "$folder/quorbel"
}

python_packages() {
  local folder=$work/python
  mkdir -p "$folder/cmake" "$folder/host" "$folder/generated"
  cp bindings/python/setup.py bindings/python/pyproject.toml bindings/python/_quorbel.cpp "${notices[@]}" "$folder/"
  cp -r bindings/python/quorbel bindings/python/tests include "$folder/"
  cp cmake/sources.txt "$folder/cmake/"
  grep -v '^#' cmake/sources.txt | while read -r _ parts; do
    for part in $parts; do mkdir -p "$folder/$part" && cp -r "$part/." "$folder/$part/"; done
  done
  cp host/*.h host/linked_api.cpp "$folder/host/"
  cmake -DOUT="$folder/generated" -P cmake/derive.cmake
  printf '%s\n' 'graft cmake' 'graft include' 'graft src' 'graft commands' 'graft host' 'graft third_party' \
    'graft generated' 'graft tests' 'include _quorbel.cpp LICENSE THIRD-PARTY-NOTICES' \
    'global-exclude __pycache__ *.py[co]' > "$folder/MANIFEST.in"
  (cd "$folder" && "$python" setup.py -q sdist -d "$work/sdist" >/dev/null 2>&1)
  mkdir -p "$work/sdist/unpacked" && tar xzf "$work/sdist/quorbel-$version.tar.gz" -C "$work/sdist/unpacked"
  pack "$out/quorbel-$version.tar.gz" "$work/sdist/unpacked/quorbel-$version"
  "$python" -m pip wheel -q --no-deps --no-index --no-build-isolation -w "$out" "$out/quorbel-$version.tar.gz" >/dev/null
}

web_zip() {
  local folder=$work/quorbel-$version-web
  bash tools/build-web.sh >/dev/null
  mkdir -p "$folder" && cp -r build/web/. "$folder/"
  pack "$out/quorbel-$version-web.zip" "$folder"
}

source_archive() {
  git archive --format=tar --prefix="quorbel-$version/" HEAD | gzip -9n > "$out/quorbel-$version-source.tar.gz"
}

build_preset native quorbel quorbel_cli quorbel_manpage
build_preset win32 quorbel quorbel_cli quorbel_import_library
build_preset win64 quorbel quorbel_cli quorbel_import_library
windows_zip win32 win32
windows_zip win64 win64
linux_tarball
r_package
python_packages
web_zip
source_archive
bash tools/make-deb.sh build/native "$out/quorbel_${version}_amd64.deb" >/dev/null
(cd "$out" && sha256sum -- *.zip *.tar.gz *.whl *.deb > SHA256SUMS)
cat "$out/SHA256SUMS"

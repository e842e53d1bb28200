#!/usr/bin/env bash
# Makes the Debian package of a native build: the shared library, the
# headers, pkg-config and CMake files, the tool with its manual page and its
# bash completion, under /usr, with the copyright file Debian asks for.
#   bash tools/make-deb.sh BUILD_DIR OUT.deb
# Times inside are SOURCE_DATE_EPOCH's (the commit's when unset), so the same
# build gives the same package.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1 deb=$(realpath -m "$2")
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(bash tools/version.sh)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=$work/quorbel
doc=$tree/usr/share/doc/quorbel

DESTDIR=$tree cmake --install "$build" --prefix /usr >/dev/null
# The documentation goes where Debian puts it: the notices become the
# copyright file, the manual page is compressed, binaries are stripped.
rm -rf "$tree/usr/share/doc"
mkdir -p "$doc"
gzip -9n "$tree/usr/share/man/man1/quorbel.1"
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$tree/usr/lib"/libquorbel.so.*.*.*
strip --remove-section=.comment --remove-section=.note "$tree/usr/bin/quorbel"
{
  cat <<EOF
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Quorbel
Comment: The binaries carry Boost.Math (BSL-1.0) and musl's elementary
 functions (MIT); their texts follow THIRD-PARTY-NOTICES, below.

Files: *
Copyright: 2026 The Quorbel authors
License: Expat

License: Expat
EOF
  sed -n '3,$p' LICENSE | sed 's/^$/./; s/^/ /'
  echo
  echo "Comment: THIRD-PARTY-NOTICES follows."
  sed 's/^$/./; s/^/ /' THIRD-PARTY-NOTICES
} > "$doc/copyright"
date=$(date -u -R -d "@$SOURCE_DATE_EPOCH")
printf 'quorbel (%s-1) unstable; urgency=medium\n\n  * Release %s; see CHANGELOG.md of the source.\n\n -- The Quorbel authors <quorbel@example.org>  %s\n' \
  "$version" "$version" "$date" | gzip -9n > "$doc/changelog.Debian.gz"

mkdir -p "$tree/DEBIAN"
soname=$(objdump -p "$tree/usr/lib/libquorbel.so" | sed -n 's/^ *SONAME *libquorbel\.so\.//p')
echo "libquorbel $soname quorbel (>= $version)" > "$tree/DEBIAN/shlibs"
echo "activate-noawait ldconfig" > "$tree/DEBIAN/triggers"
# The dependencies, as dpkg-shlibdeps finds them from the binaries' needs.
mkdir -p "$work/debian" && printf 'Source: quorbel\n\nPackage: quorbel\nArchitecture: amd64\n' > "$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O -e"$tree/usr/bin/quorbel" -e"$tree/usr/lib/libquorbel.so.$version" 2>/dev/null \
          | sed -n 's/^shlibs:Depends=//p')
size=$(du -k -s --exclude=DEBIAN "$tree" | cut -f1)
cat > "$tree/DEBIAN/control" <<EOF
Package: quorbel
Version: $version-1
Architecture: amd64
Maintainer: The Quorbel authors <quorbel@example.org>
Installed-Size: $size
Depends: $depends
Section: science
Priority: optional
Homepage: https://quorbel.example.org/
Description: statistics of sampling surveys in animal populations
 Quorbel computes how many animals or herds to examine, what a survey's
 results say about the population, how many to test to show that a disease
 is absent, and which units of a frame to examine. This package holds the
 shared library, its C headers, pkg-config and CMake files, and the
 quorbel command-line tool with its manual page and bash completion.
EOF
(cd "$tree" && find usr -type f | LC_ALL=C sort | xargs md5sum > DEBIAN/md5sums)
find "$tree" -type d -exec chmod 0755 {} +
find "$tree" -type f -exec chmod 0644 {} +
chmod 0755 "$tree/usr/bin/quorbel"
find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
dpkg-deb --root-owner-group -Zxz --build "$tree" "$deb" >/dev/null
echo "$deb"

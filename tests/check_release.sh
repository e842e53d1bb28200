#!/usr/bin/env bash
# The release as users get it. Runs tools/release.sh twice and wants the same
# bytes; then, for every package:
#   - it carries the licence, and the notice of each piece of others' code its
#     files hold (a file that holds such code without its notice fails);
#   - every version it states is the project's one version;
#   - it installs offline into a scratch place and answers the README's
#     survey (30 % expected, within 3 points at 95 %, 1,000 animals) with
#     473 animals, the README's worked value.
# A part this machine cannot do (no 32-bit execution, no root for dpkg -i) is
# reported as skipped, with the reason.
#   bash tests/check_release.sh
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
python=/usr/bin/python3
version=$(bash tools/version.sh)
out=$root/build/release again=$root/build/release-again
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }
skip() { echo "SKIPPED (part): $*"; }
survey=(sample-size simple-random --prevalence 0.3 --absolute-precision 0.03 --population 1000)
answers() {  # answers WHAT ANSWER: the survey's sample size must be 473
  [ "$2" = 473 ] || fail "$1 answers '$2' to the README's survey, not 473"
}
json_size() { "$python" -c 'import json,sys; print(json.load(sys.stdin)["population"]["sampleSize"])'; }

# ------------------------------------------------------------ twice, the same
bash tools/release.sh "$out" >"$work/first.log" 2>&1 || { cat "$work/first.log"; fail "tools/release.sh"; exit 1; }
bash tools/release.sh "$again" >"$work/second.log" 2>&1 || { cat "$work/second.log"; fail "tools/release.sh, again"; exit 1; }
cmp -s "$out/SHA256SUMS" "$again/SHA256SUMS" || fail "two runs differ: $(diff "$out/SHA256SUMS" "$again/SHA256SUMS")"
(cd "$out" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match the packages"
rm -rf "$again"
packages=(quorbel-$version-win32.zip quorbel-$version-win64.zip quorbel-$version-linux-x86_64.tar.gz
          quorbel_$version.tar.gz quorbel-$version.tar.gz quorbel-$version-cp3*-linux_x86_64.whl
          quorbel-$version-web.zip quorbel-$version-source.tar.gz quorbel_${version}_amd64.deb)
for package in "${packages[@]}"; do
  file=$(cd "$out" && ls $package 2>/dev/null | head -n 1)
  [ -n "$file" ] || { fail "no $package"; continue; }
  grep -qF " $file" "$out/SHA256SUMS" || fail "$file is not in SHA256SUMS"
done
wheel=$(ls "$out"/quorbel-"$version"-cp3*-linux_x86_64.whl 2>/dev/null | head -n 1)

# ------------------------------------------------------------------ unpacked
unpack() {  # unpack PACKAGE: into $work/PACKAGE/
  local into=$work/$(basename "$1")
  mkdir -p "$into"
  case $1 in
    *.zip|*.whl) "$python" -m zipfile -e "$1" "$into" ;;
    *.tar.gz) tar xzf "$1" -C "$into" ;;
    *.deb) dpkg-deb -x "$1" "$into" && dpkg-deb -e "$1" "$into/DEBIAN" ;;
  esac
}
for package in "$out"/*.zip "$out"/*.tar.gz "$out"/*.whl "$out"/*.deb; do unpack "$package"; done

# No package names the folder it was built in.
built_in=$(grep -rlF -- "$root" "$work" 2>/dev/null | sed "s|^$work/||")
[ -z "$built_in" ] || fail "these files name the build folder $root: $built_in"

# -------------------------------------------------------------------- notices
# What each kind of shipped file holds of others' code, by the names
# THIRD-PARTY-NOTICES gives them.
holds() {
  case $1 in
    */Quorbel.dll) echo "mingw-w64 runtime|mingw-w64 winpthreads|GCC runtime" ;;
    */quorbel.exe) echo "Boost.Math|musl|mingw-w64 runtime|mingw-w64 winpthreads|GCC runtime" ;;
    */libquorbel.so.*|*/bin/quorbel|*/_quorbel*.so) echo "Boost.Math|musl" ;;
    */third_party/musl-libm/*.c) echo "musl" ;;
    */quorbel.js) echo "Boost.Math|musl|Emscripten runtime" ;;
    */chart.umd.min.js) echo "Chart.js" ;;
  esac
}
notices_of() {  # notices_of ROOT FILE: the notices FILE's package (ROOT/PACKAGE/...) carries
  local package=${2#"$1"/}
  find "$1/${package%%/*}" \( -name THIRD-PARTY-NOTICES -o -path '*/doc/quorbel/copyright' \) -print0 | xargs -0 cat
}
notice_faults() {  # notice_faults ROOT: a line for each file under ROOT/PACKAGE/ whose notice is missing
  local file pieces piece text needed
  while IFS= read -r -d '' file; do
    pieces=$(holds "$file")
    [ -n "$pieces" ] || continue
    text=$(notices_of "$1" "$file")
    IFS='|' read -ra needed <<<"$pieces"
    for piece in "${needed[@]}"; do
      grep -qF -- "$piece" <<<"$text" || echo "${file#"$1"/} holds $piece, whose notice its package lacks"
    done
    grep -q "Quorbel itself is under the MIT licence" <<<"$text" || echo "${file#"$1"/}: no THIRD-PARTY-NOTICES"
  done < <(find "$1" -type f -print0)
}
faults=$(notice_faults "$work")
[ -z "$faults" ] || fail "$faults"
# The check itself: a page whose notices leave out Chart.js must be caught.
mkdir -p "$work/broken" && cp -r "$work/quorbel-$version-web.zip" "$work/broken/"
sed -i '/Chart\.js/d' "$work/broken/quorbel-$version-web.zip/quorbel-$version-web/THIRD-PARTY-NOTICES"
grep -q "chart.umd.min.js holds Chart.js, whose notice its package lacks" <<<"$(notice_faults "$work/broken")" \
  || fail "the notice check does not catch a page without Chart.js's notice"
rm -rf "$work/broken"
# (Texts are read whole before grep -q, which would otherwise cut a pipe
# short and fail it under pipefail.)
for package in "${packages[@]}"; do
  folder=$(ls -d "$work"/$package)
  licences=$(find "$folder" \( -name LICENSE -o -path '*/doc/quorbel/copyright' \) -print0 | xargs -0 cat)
  grep -q "The Quorbel authors" <<<"$licences" || fail "$package carries no licence"
done
grep -q "^License: MIT + file LICENSE$" "$work/quorbel_$version.tar.gz/quorbel/DESCRIPTION" || fail "R: License field"
[ "$(cat "$work/quorbel_$version.tar.gz/quorbel/LICENSE")" = $'YEAR: 2026\nCOPYRIGHT HOLDER: The Quorbel authors' ] \
  || fail "R: LICENSE is not the two-line MIT file"
grep -q "^License: MIT$" "$work/$(basename "$wheel")"/quorbel-*.dist-info/METADATA || fail "Python: no License: MIT"
web=$work/quorbel-$version-web.zip/quorbel-$version-web
grep -q "Released under the MIT License" <<<"$(head -c 300 "$web/chart.umd.min.js")" || fail "web: Chart.js lost its header"
[ -f "$web/chart.js-LICENSE.md" ] || fail "web: no chart.js-LICENSE.md beside the page"

# ------------------------------------------------------------------- versions
says() {  # says WHERE VALUE: VALUE must be the project's version
  [ "$2" = "$version" ] || fail "$1 says '$2', not $version"
}
linux=$work/quorbel-$version-linux-x86_64.tar.gz/quorbel-$version-linux-x86_64
says "quorbel_version.h" "$(sed -n 's/^#define QUORBEL_VERSION "\(.*\)"$/\1/p' "$linux/include/quorbel_version.h")"
says "quorbel --version" "$("$linux/bin/quorbel" --version | sed 's/^quorbel //')"
says "Quorbel_Version()" "$("$python" -c 'import ctypes, sys
version = ctypes.CDLL(sys.argv[1]).Quorbel_Version
version.restype = ctypes.c_char_p
print(version().decode())' "$linux"/lib/libquorbel.so.*.*.*)"
soname=$(objdump -p "$linux"/lib/libquorbel.so.*.*.* | sed -n 's/^ *SONAME *//p')
[ "$soname" = "libquorbel.so.${version%%.*}" ] || fail "the SONAME is $soname, not libquorbel.so.${version%%.*}"
says "quorbel.pc" "$(sed -n 's/^Version: //p' "$linux/lib/pkgconfig/quorbel.pc")"
says "QuorbelConfigVersion.cmake" "$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' "$linux/lib/cmake/Quorbel/QuorbelConfigVersion.cmake")"
says "the manual page" "$(sed -n 's/^\.TH QUORBEL 1 "" "quorbel \([^"]*\)".*/\1/p' "$linux/share/man/man1/quorbel.1")"
says "R's DESCRIPTION" "$(sed -n 's/^Version: //p' "$work/quorbel_$version.tar.gz/quorbel/DESCRIPTION")"
says "Python's metadata" "$(sed -n 's/^Version: //p' "$work/$(basename "$wheel")"/quorbel-*.dist-info/METADATA)"
says "the .deb" "$(sed -n 's/^Version: \(.*\)-1$/\1/p' "$work/quorbel_${version}_amd64.deb/DEBIAN/control")"
says "the source archive" "$(bash "$work/quorbel-$version-source.tar.gz/quorbel-$version/tools/version.sh")"
for arch in win32 win64; do
  dll=$work/quorbel-$version-$arch.zip/quorbel-$version-$arch/Quorbel.dll
  resource=$("$python" - "$dll" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1])
fixed = pe.VS_FIXEDFILEINFO[0]
strings = {k.decode(): v.decode() for info in pe.FileInfo[0] if info.Key == b'StringFileInfo'
           for table in info.StringTable for k, v in table.entries.items()}
print('%d.%d.%d' % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xffff, fixed.FileVersionLS >> 16))
print(strings['ProductVersion'])
print(strings['ProductName'], '|', strings['LegalCopyright'])
PY
)
  says "$arch Quorbel.dll's fixed file version" "$(sed -n 1p <<<"$resource")"
  says "$arch Quorbel.dll's ProductVersion" "$(sed -n 2p <<<"$resource")"
  grep -q "^Quorbel | .*The Quorbel authors.*MIT licence" <<<"$(sed -n 3p <<<"$resource")" \
    || fail "$arch Quorbel.dll's name and licence: $(sed -n 3p <<<"$resource")"
done

# ------------------------------------------------------------------- installs
answers "the Linux archive's quorbel" "$("$linux/bin/quorbel" "${survey[@]}" --json | json_size)"
# A Windows archive holds what a C program needs: it compiles against the
# header and links through Quorbel.lib alone; then the program and the
# archive's own quorbel.exe run beside the DLL.
printf '%s\n' '#include <stdio.h>' '#include "quorbel.h"' 'int main(void) {' \
  '  int32_t sizes[QUORBEL_LADDER_RESULTS];' \
  '  if (SampleSize_SimpleRandom(0.3f, 0.1f, 95, 1000, sizes) != QUORBEL_OK) return 1;' \
  '  printf("%d\n", (int)sizes[0]);' '  return 0;' '}' > "$work/program.c"
for arch in win64 win32; do
  folder=$work/quorbel-$version-$arch.zip/quorbel-$version-$arch
  listed=$(cd "$folder" && LC_ALL=C ls | tr '\n' ' ')
  [ "$listed" = "LICENSE Quorbel.def Quorbel.dll Quorbel.lib README.md THIRD-PARTY-NOTICES quorbel.exe quorbel.h quorbel_version.h " ] \
    || fail "the $arch archive holds: $listed"
  compiler=$([ $arch = win32 ] && echo i686-w64-mingw32-gcc || echo x86_64-w64-mingw32-gcc)
  "$compiler" -std=c89 -pedantic-errors -Wall -Werror -I"$folder" "$work/program.c" "$folder/Quorbel.lib" -o "$folder/program.exe" \
    || { fail "a C program does not build against the $arch archive"; continue; }
  prefix=$root/build/$arch/wineprefix-$arch
  said=$(WINEPREFIX=$prefix bash tools/wine-run.sh "$arch" "$folder/quorbel.exe" "${survey[@]}" --json 2>/dev/null)
  if [ $? -eq 77 ]; then skip "the $arch archive's programs: $said"; continue; fi
  answers "the $arch archive's quorbel.exe" "$(tr -d '\r' <<<"$said" | json_size)"
  answers "a C program linked with the $arch archive's Quorbel.lib" \
    "$(WINEPREFIX=$prefix bash tools/wine-run.sh "$arch" "$folder/program.exe" 2>/dev/null | tr -d '\r')"
done

"$python" -m venv "$work/venv" && "$work/venv/bin/pip" install -q --no-index "$wheel" \
  || fail "the wheel does not install offline into a fresh venv"
answers "the wheel" "$("$work/venv/bin/python" -c 'import quorbel
print(quorbel.sample_size_simple_random(prevalence=0.3, absolute_precision=0.03, population=1000)["population"]["sampleSize"])')"
says "quorbel.__version__" "$("$work/venv/bin/python" -c 'import quorbel; print(quorbel.__version__)')"

mkdir -p "$work/rlib"
R CMD INSTALL --library="$work/rlib" "$out/quorbel_$version.tar.gz" >"$work/r.log" 2>&1 || { tail "$work/r.log"; fail "R CMD INSTALL"; }
said=$(Rscript -e 'library(quorbel, lib.loc = commandArgs(TRUE)[1])' \
  -e 'cat(as.character(packageVersion("quorbel")), sample_size_simple_random(prevalence = 0.3, absolute_precision = 0.03, population = 1000)$population$sampleSize, "\n")' \
  "$work/rlib" 2>/dev/null)
says "R's packageVersion" "$(cut -d' ' -f1 <<<"$said")"
answers "the R package" "$(cut -d' ' -f2 <<<"$said")"

# The page from its unpacked folder, as a browser opening it from the disk
# loads it: every script it names is beside it.
for script in $(sed -n 's/.*<script src="\([^"]*\)".*/\1/p' "$web/index.html"); do
  [ -f "$web/$script" ] || fail "web: index.html loads $script, which the archive lacks"
done
said=$(node -e '
const path = require("path"), page = process.argv[1];
require(path.join(page, "quorbel-api.js"))(require(path.join(page, "quorbel.js"))).ready.then((q) => {
  const r = q.sample_size_simple_random({prevalence: 0.3, absolute_precision: 0.03, population: 1000});
  console.log(q.version, r.population.sampleSize);
});' "$web")
says "the page's footer" "$(cut -d' ' -f1 <<<"$said")"
answers "the page" "$(cut -d' ' -f2 <<<"$said")"

source_tree=$work/quorbel-$version-source.tar.gz/quorbel-$version
if cmake -S "$source_tree" -B "$work/from-source" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORBEL_TESTS=OFF >"$work/source.log" 2>&1 \
   && cmake --build "$work/from-source" --target quorbel_cli >>"$work/source.log" 2>&1; then
  answers "a build of the source archive" "$("$work/from-source/quorbel" "${survey[@]}" --json | json_size)"
else
  tail "$work/source.log"; fail "the source archive does not build"
fi

deb=$out/quorbel_${version}_amd64.deb
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian finds errors in the .deb"; }
if [ "$(id -u)" != 0 ]; then
  skip "dpkg -i of the .deb needs root"
elif dpkg-query -W quorbel >/dev/null 2>&1; then
  skip "a quorbel package is installed on this machine already; the .deb is not installed over it"
else
  dpkg -i "$deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log"; fail "dpkg -i"; }
  says "the installed package's quorbel --version" "$(/usr/bin/quorbel --version | sed 's/^quorbel //')"
  answers "the installed package's quorbel" "$(/usr/bin/quorbel "${survey[@]}" --json | json_size)"
  dpkg -r quorbel >/dev/null 2>&1 || fail "dpkg -r quorbel"
fi

[ $status -eq 0 ] && echo "release $version: ${#packages[@]} files, the same bytes twice; each carries its notices, says $version and answers 473"
exit $status

#!/usr/bin/env bash
# Installs the native build into a scratch prefix and builds a consumer
# against it twice, through pkg-config and through find_package(Quorbel),
# then runs both. Also checks the SONAME and the installed manual page.
#   check_install.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1 source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
status=0
fail() { echo "FAIL: $*"; status=1; }
lib=$(ls "$prefix"/lib*/libquorbel.so.*.*.* 2>/dev/null | head -n 1)
[ -n "$lib" ] || fail "no versioned libquorbel.so installed"
version=$(bash "$source/tools/version.sh")
grep -q "SONAME *libquorbel.so.${version%%.*}$" <<<"$(objdump -p "$lib")" || fail "SONAME is not libquorbel.so.${version%%.*}"
[ -f "$prefix/share/man/man1/quorbel.1" ] || fail "no manual page installed"
[ -x "$prefix/bin/quorbel" ] || fail "no quorbel installed"
# The installed tool finds the installed library (bin/../lib), none beside it:
# the README's survey, 473 animals.
answer=$("$prefix/bin/quorbel" sample-size simple-random --prevalence 0.3 --absolute-precision 0.03 --population 1000 --json)
grep -q '"size": 1000, "sampleSize": 473' <<<"$answer" || fail "the installed quorbel does not answer 473: $answer"
[ -f "$prefix/share/bash-completion/completions/quorbel" ] || fail "no bash completion installed"
# The completion offers what the tool's help lists.
completion=$(bash -c 'source "$1/share/bash-completion/completions/quorbel"
  COMP_WORDS=("$1/bin/quorbel" detect ex); COMP_CWORD=2; _quorbel "$1/bin/quorbel"; echo "${COMPREPLY[*]}"
  COMP_WORDS=("$1/bin/quorbel" detect exact --speci); COMP_CWORD=3; _quorbel "$1/bin/quorbel"; echo "${COMPREPLY[*]}"
  COMP_WORDS=("$1/bin/quorbel" detect sample-size --combination ""); COMP_CWORD=4; _quorbel "$1/bin/quorbel"; echo "${COMPREPLY[*]}"
  COMP_WORDS=("$1/bin/quorbel" detect exact --population in); COMP_CWORD=4; _quorbel "$1/bin/quorbel"; echo "${COMPREPLY[*]}"
  COMP_WORDS=("$1/bin/quorbel" select pps --separator ""); COMP_CWORD=4; _quorbel "$1/bin/quorbel"; echo "${COMPREPLY[*]}"' _ "$prefix")
grep -qx "exact" <<<"$(sed -n 1p <<<"$completion")" || fail "completion of 'detect ex': $completion"
grep -q -- "--specificity --specificity-target" <<<"$(sed -n 2p <<<"$completion")" || fail "completion of options: $completion"
# A choice completes to its words, a population to infinite: the option's kind.
[ "$(sed -n 3p <<<"$completion")" = "parallel serial" ] || fail "completion of a choice: $completion"
[ "$(sed -n 4p <<<"$completion")" = "infinite" ] || fail "completion of a population: $completion"
# A separator is offered quoted for the shell: ';' alone would end the command.
[ "$(sed -n 5p <<<"$completion")" = '\, \;' ] || fail "completion of a separator: $completion"
libdir=$(dirname "$lib")

if command -v pkg-config >/dev/null; then
  flags=$(PKG_CONFIG_PATH=$libdir/pkgconfig pkg-config --cflags --libs quorbel) || fail "pkg-config knows no quorbel"
  gcc -std=c89 -pedantic-errors -Wall -Werror "$source/tests/consumer/consumer.c" $flags -o "$work/by-pkg-config" \
    || fail "the consumer does not build through pkg-config"
  LD_LIBRARY_PATH=$libdir "$work/by-pkg-config" || fail "the pkg-config consumer fails"
else
  echo "SKIPPED (part): pkg-config is not installed"
fi
cmake -S "$source/tests/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" -DQUORBEL_WANTED="$version" >/dev/null \
  && cmake --build "$work/consumer" >/dev/null || fail "the consumer does not build through find_package"
LD_LIBRARY_PATH=$libdir "$work/consumer/consumer" || fail "the find_package consumer fails"
exit $status

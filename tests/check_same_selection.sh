#!/usr/bin/env bash
# The same seed gives byte-identical result files from the native build and
# from a DLL under Wine: both draw the Windows runtime's sequence.
#   check_same_selection.sh NATIVE_QUORBEL WINDOWS_QUORBEL_EXE EMULATOR;WORDS
set -uo pipefail
native=$1 windows=$2
IFS=';' read -r -a emulator <<<"$3"
# An emulator that cannot run here (32-bit Wine on a machine that cannot
# execute 32-bit programs) says why and exits 77: skip with its reason.
if [ -n "${emulator[*]:-}" ]; then
  probe=$("${emulator[@]}" "$windows" --help 2>&1)
  if [ $? -eq 77 ]; then grep SKIPPED <<<"$probe"; exit 77; fi
fi
if [ ! -x "$native" ]; then echo "SKIPPED: no native build at $native to compare with"; exit 77; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
for i in $(seq 1 40000); do echo "Farm $i"; done > units.txt
for i in $(seq 1 3000); do echo "Herd $i,$(( (i * 7919) % 500 + 1 ))"; done > sized.txt
status=0
for seed in 1 7 123456; do
  for method in random pps; do
    list=units.txt; [ $method = pps ] && list=sized.txt
    "$native" select $method $list native-$method-$seed.txt --count 250 --seed $seed >/dev/null || status=1
    "${emulator[@]}" "$windows" select $method $list wine-$method-$seed.txt --count 250 --seed $seed >/dev/null || status=1
    if ! cmp -s native-$method-$seed.txt wine-$method-$seed.txt; then
      echo "FAIL: $method with seed $seed differs between the native build and the DLL"; status=1
    fi
  done
done
[ $status -eq 0 ] && echo "same seeds, same selections: native and Wine agree"
exit $status

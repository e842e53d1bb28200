#!/usr/bin/env bash
# Quorbel.lib holds, for every calculation, the stdcall-decorated symbol a
# Microsoft compiler emits (_Name@N) and its import thunk (__imp__Name@N),
# and nothing it should not.
#   check_import_library.sh Quorbel.lib Quorbel-implib.def NM
set -uo pipefail
lib=$1 def=$2 nm=$3
symbols=$("$nm" "$lib" 2>/dev/null)
status=0
count=0
for entry in $(sed -n 's/^    \([A-Za-z_]*@[0-9]*\)$/\1/p' "$def"); do
  count=$((count + 1))
  grep -q " T _$entry\$" <<<"$symbols" || { echo "FAIL: no _$entry"; status=1; }
  grep -q " I __imp__$entry\$" <<<"$symbols" || { echo "FAIL: no __imp__$entry"; status=1; }
done
grep -qx "SampleSize_SimpleRandom" <<<"$(strings "$lib")" || { echo "FAIL: the plain import name is missing"; status=1; }
[ "$count" -ge 20 ] || { echo "FAIL: only $count entries in $def"; status=1; }
[ $status -eq 0 ] && echo "Quorbel.lib: $count decorated symbols with their imports"
exit $status

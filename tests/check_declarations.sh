#!/usr/bin/env bash
# Every name of Quorbel.def is declared in a public header (quorbel.h, or
# quorbel_exact.h for the exact layer) and defined with C linkage in exactly
# one source file.
#   check_declarations.sh SOURCE_DIR
set -uo pipefail
root=$1
status=0
names=$(sed -n 's/^[[:space:]]*\([A-Za-z_][A-Za-z0-9_@]*\)[[:space:]]*=.*/\1/p; s/^;@native[[:space:]]*\([A-Za-z_][A-Za-z0-9_]*\).*/\1/p' \
  "$root/src/Quorbel.def" | sed 's/^_\(.*\)@[0-9]*$/\1/' | sort -u)
for name in $names; do
  grep -Eq "^QUORBEL_API .*[ *]$name\(" "$root/include/quorbel.h" "$root/include/quorbel_exact.h" "$root/include/quorbel_freedom.h" "$root/include/quorbel_sampling.h" \
    || { echo "$name is not declared in a public header"; status=1; }
  defined=$(grep -El --include="*.cpp" "^extern \"C\" .*[ *]$name\(" -r "$root/src" | wc -l)
  [ "$defined" -eq 1 ] || { echo "$name is defined in $defined source files"; status=1; }
done
[ $status -eq 0 ] && echo "$(echo "$names" | wc -w) exports declared and defined once each"
exit $status

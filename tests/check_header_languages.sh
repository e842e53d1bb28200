#!/usr/bin/env bash
# Both public headers compile, warning-free and pedantic, as C89, C99 and
# C11 (static assertions by the older form below C11) and as C++98 and
# C++17, and a broken layout check fails to compile in each.
#   check_header_languages.sh INCLUDE_DIR GENERATED_INCLUDE_DIR
set -uo pipefail
include=(-I"$1" -I"$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '#include "quorbel.h"\n#include "quorbel_exact.h"\n#include "quorbel_freedom.h"\n#include "quorbel_sampling.h"\nint main(void) { return 0; }\n' > "$work/use.c"
printf '#include "quorbel.h"\nQUORBEL_LAYOUT(sizeof(int) == 1, "a failing check");\nint main(void) { return 0; }\n' > "$work/broken.c"
status=0
for language in "gcc -std=c89" "gcc -std=c99" "gcc -std=c11" "g++ -x c++ -std=c++98" "g++ -x c++ -std=c++17"; do
  $language -pedantic-errors -Wall -Wextra -Werror "${include[@]}" -c "$work/use.c" -o "$work/use.o" \
    || { echo "FAIL: the headers do not compile as $language"; status=1; }
  if $language "${include[@]}" -c "$work/broken.c" -o "$work/broken.o" 2>/dev/null; then
    echo "FAIL: a failing layout check compiles as $language"; status=1
  fi
done
[ $status -eq 0 ] && echo "headers compile as C89, C99, C11, C++98 and C++17"
exit $status

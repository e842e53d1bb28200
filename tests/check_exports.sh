#!/usr/bin/env bash
# Compares the export table of a built library with the names expected from
# Quorbel.def, and for a DLL checks its name and that it imports only from
# Windows system DLLs and msvcrt.dll.
#
#   check_exports.sh dll Quorbel.dll expected.txt OBJDUMP
#   check_exports.sh so  libquorbel.so expected.txt nm
set -euo pipefail
kind=$1 library=$2 expected=$3 tool=$4
status=0

if [ "$kind" = dll ]; then
  dump=$("$tool" -p "$library")
  actual=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p' | sort)
  name=$(sed -n 's/^Name[[:space:]]*[0-9a-f]*[[:space:]]*//p' <<<"$dump" | head -n 1)
  if [ "$name" != "Quorbel.dll" ]; then echo "export directory names '$name', not Quorbel.dll"; status=1; fi
  imports=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$dump" | tr 'A-Z' 'a-z' | sort -u)
  allowed="advapi32.dll kernel32.dll msvcrt.dll user32.dll"
  for dll in $imports; do
    case " $allowed " in *" $dll "*) ;; *) echo "imports from $dll, which is not allowed"; status=1 ;; esac
  done
  echo "imports: $(echo $imports)"
else
  actual=$("$tool" -D --defined-only "$library" | awk '$2 ~ /^[TtWwDdBbRrVvi]$/ { print $3 }' | sort)
fi

if ! diff <(sort "$expected") <(echo "$actual") >/dev/null; then
  echo "export table differs from Quorbel.def (< expected, > actual):"
  diff <(sort "$expected") <(echo "$actual") || true
  status=1
fi
echo "exports: $(echo "$actual" | wc -l) names"
exit $status

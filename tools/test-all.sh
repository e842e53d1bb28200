#!/usr/bin/env bash
# Installs what is missing, builds every target and runs every test:
#   native    the Linux shared library, the CLI and the suite
#   sanitize  the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   fuzz      libFuzzer runs of the list-file readers (clang), about a minute
#   win64     Quorbel.dll for 64-bit Windows, the suite under wine64
#   win32     Quorbel.dll for 32-bit Windows (the product), the suite under
#             a private 32-bit Wine (reported as skipped when it cannot run)
# Exits non-zero when any build or test fails.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/bootstrap.sh || { echo "test-all: installing packages failed"; exit 1; }

if ! bash tools/setup-wine32.sh >/dev/null 2>/tmp/quorbel-wine32-setup.log; then
  echo "test-all: 32-bit Wine could not be set up; the win32 tests will report SKIPPED:"
  tail -n 5 /tmp/quorbel-wine32-setup.log
fi

passed=0 failed=0 broken=()
for preset in native sanitize fuzz win64 win32; do
  echo "=== $preset"
  if ! cmake --preset "$preset" >"/tmp/quorbel-configure-$preset.log" 2>&1; then
    cat "/tmp/quorbel-configure-$preset.log"; broken+=("$preset (configure)"); continue
  fi
  if ! cmake --build --preset "$preset" -- -k 0; then broken+=("$preset (build)"); continue; fi
  output=$(ctest --preset "$preset" -j 2 2>&1)
  status=$?
  echo "$output"
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' <<<"$output" | tail -n 1)
  if [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    failed=$((failed + BASH_REMATCH[1]))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  fi
  [ $status -eq 0 ] || broken+=("$preset (tests)")
done

echo
if [ ${#broken[@]} -gt 0 ]; then echo "test-all: failed: ${broken[*]}"; fi
echo "${passed} passed, ${failed} failed"
[ ${#broken[@]} -eq 0 ]

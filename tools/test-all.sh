#!/usr/bin/env bash
# Installs what is missing, then builds every preset and runs every test as
# one CTest workflow (cmake --workflow --preset all; see cmake/all.cmake):
#   native    the Linux shared library, the commands library, the program, the suite
#   sanitize  the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   tsan      the same under ThreadSanitizer (the eight-thread tests matter here)
#   fuzz      libFuzzer runs of the list-file readers (clang), about a minute
#   linux32   the library and suite built for 32-bit Linux (i686, SSE) and run
#             under qemu-i386-static: the 32-bit arithmetic on every machine
#   win64     Quorbel.dll for 64-bit Windows, the suite under wine64
#   win32     Quorbel.dll for 32-bit Windows (the product), the suite under
#             a private 32-bit Wine; skipped, with the reason, where this
#             machine cannot execute 32-bit programs
#   python, r, release, web-module, web-browser
#             the packages, the release packages (made twice, installed, run),
#             and the browser calculator
#             (its page skipped, with the reason, where Chromium cannot start)
# Ends with "N passed, N failed, N skipped", the skipped tests and why.
# Exits non-zero when any build or test fails; skipped tests do not fail it.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/bootstrap.sh || { echo "test-all: installing packages failed"; exit 1; }

notes=()
if reason=$(bash tools/probe-exec32.sh); then
  if ! bash tools/setup-wine32.sh >/dev/null 2>/tmp/quorbel-wine32-setup.log; then
    echo "test-all: 32-bit Wine could not be set up; the win32 tests will report SKIPPED:"
    tail -n 5 /tmp/quorbel-wine32-setup.log
  fi
else
  notes+=("win32: the tests that run Quorbel.dll are skipped: $reason. The export-table test still runs, and linux32 checks the i686 arithmetic.")
fi
notes+=("linux32: a 32-bit Linux build under user-mode emulation; a proxy for the i686 code generator's arithmetic, not a run of the DLL.")

log=/tmp/quorbel-test-all.log
cmake --workflow --preset all 2>&1 | tee "$log"
status=${PIPESTATUS[0]}

summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
passed=0 failed=0 skipped=0
if [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
  failed=${BASH_REMATCH[1]}
  skipped=$(grep -cE '^\s*[0-9]+ - .*\(Skipped\)' "$log")
  passed=$((BASH_REMATCH[2] - failed - skipped))
elif [ $status -ne 0 ]; then
  failed=1  # the workflow stopped before its tests ran
fi
skipped_tests=$(grep -E '^\s*[0-9]+ - .*\(Skipped\)' "$log" | sed -E 's/^\s*[0-9]+ - //; s/ \(Skipped\)//' | tr '\n' ' ')
browser=$(grep -m1 '^SKIPPED: the browser tests' "$log" | sed 's/^SKIPPED: //')
[ -n "$browser" ] && notes+=("web.browser: $browser")

echo
for note in "${notes[@]}"; do echo "note: $note"; done
[ -n "$skipped_tests" ] && echo "skipped: $skipped_tests"
[ $status -eq 0 ] || echo "test-all: failed (see $log)"
echo "${passed} passed, ${failed} failed, ${skipped} skipped"
exit $status

#!/usr/bin/env bash
# The skipping path of the 32-bit runs, forced on any machine: with the probe
# told that 32-bit programs cannot run, the Wine runner must report a skip
# (exit 77) with the reason in plain words, and run nothing.
#   check_exec32_skip.sh WINE_RUN_SH PROGRAM
set -u
output=$(QUORBEL_NO_EXEC32=1 bash "$1" win32 "$2" --gtest_list_tests 2>&1)
status=$?
if [ $status -ne 77 ]; then echo "FAIL: the forced probe gave exit $status, not 77: $output"; exit 1; fi
if ! grep -q "^SKIPPED: the 32-bit DLL cannot run on this machine: 32-bit programs are taken as unable" <<<"$output"; then
  echo "FAIL: the skip does not say why: $output"; exit 1
fi
echo "the forced probe skips with: $output"

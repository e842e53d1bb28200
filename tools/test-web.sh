#!/usr/bin/env bash
# Builds the browser calculator and tests it: the module under node (worked
# values bit for bit, the exact layer against R, the same answers as the
# native tool's JSON), then the page in headless Chromium. A machine whose
# browser cannot start reports the browser tests as skipped, with the reason.
#   tools/test-web.sh [module|browser]   (both when not given)
# Exit status: 0 passed, 77 skipped (browser only), anything else failed.
set -uo pipefail
cd "$(dirname "$0")/.."
part=${1:-all}
bash tools/build-web.sh >/tmp/quorbel-build-web.log 2>&1 || { cat /tmp/quorbel-build-web.log; exit 1; }
export QUORBEL_CLI=${QUORBEL_CLI:-$PWD/build/native/quorbel}
# The tests hold the page's answers against the native tool's JSON.
if [ ! -x "$QUORBEL_CLI" ]; then
  { cmake --preset native && cmake --build --preset native --target quorbel_cli; } >/tmp/quorbel-build-native.log 2>&1 ||
    { cat /tmp/quorbel-build-native.log; exit 1; }
fi
status=0
if [ "$part" != browser ]; then
  node --test web/tests/ || status=1
  # The skipping path itself, on every machine: no browser is a skip with its reason.
  said=$(QUORBEL_CHROMIUM=/nonexistent node web/tests/browser.mjs)
  skip_status=$?
  if [ $skip_status -eq 77 ] && grep -q '^SKIPPED: the browser tests: no Chromium at /nonexistent$' <<<"$said"; then
    echo "ok - a missing browser is reported as skipped"
  else
    echo "not ok - a missing browser is reported as skipped (exit $skip_status: $said)"; status=1
  fi
fi
if [ "$part" != module ]; then
  node web/tests/browser.mjs
  browser=$?
  [ $browser -eq 0 ] || [ $status -ne 0 ] || status=$browser
fi
exit $status

#!/usr/bin/env bash
# Builds the browser calculator into build/web/ (index.html, its scripts,
# styles and the WebAssembly module inside quorbel.js) and prints the page
# to open. Needs Debian's emscripten and node-acorn (tools/bootstrap.sh) and
# the chart library from the npm registry (npm ci in web/, done here once).
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's emscripten runs its JavaScript optimizer under node and needs the
# acorn module from /usr/share/nodejs, where a node not built by Debian does
# not look.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
if [ ! -f web/node_modules/chart.js/package.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
  (cd web && npm ci --no-audit --no-fund)
fi
cmake --preset web >/tmp/quorbel-configure-web.log 2>&1 || { cat /tmp/quorbel-configure-web.log; exit 1; }
cmake --build --preset web
echo "build-web: open file://$PWD/build/web/index.html"

#!/usr/bin/env bash
# Installs the Python package into a virtual environment of Debian's own
# interpreter (/usr/bin/python3, with its NumPy and pytest through
# --system-site-packages; the python3 first on PATH may be another one) and
# runs its tests against the native command-line tool.
#   bash tools/test-python.sh [QUORBEL_CLI]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-$PWD/build/native/quorbel}
python=/usr/bin/python3
venv=$PWD/build/python-venv
[ -x "$venv/bin/python" ] || "$python" -m venv --system-site-packages "$venv"
"$venv/bin/python" -m pip install --no-build-isolation --no-index -q ./bindings/python
cd "$venv"  # away from the source folder, so that the installed package is the one imported
QUORBEL_CLI=$cli "$venv/bin/python" -m pytest -q "$OLDPWD/bindings/python/tests"

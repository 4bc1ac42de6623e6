#!/usr/bin/env bash
# Installs what is needed, builds Halyard and runs it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec ./build/default/src/app/halyard "$@"

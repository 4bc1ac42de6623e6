#!/usr/bin/env bash
# Installs what is needed, builds Halyard and runs the demo (a simulated workspace in a
# throw-away profile); `run.sh -- <arguments>` runs the program itself with those arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
if [[ $# -gt 0 && $1 == -- ]]; then
    shift
    exec ./build/default/src/app/halyard "$@"
fi
if [[ $# -gt 0 ]]; then
    echo "usage: $0 [-- <halyard arguments>]" >&2
    exit 2
fi
exec ./build/default/src/app/halyard --demo

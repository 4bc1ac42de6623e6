#!/usr/bin/env bash
# Runs the end-to-end burst benchmark on a private session bus with an unlocked keyring.
# Usage: bench/run-headless-burst.sh [build dir, default build/default] [message count]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
count="${2:-1000}"
cmake --build "$build" --target halyard halyard_headless_burst
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -m 0700 "$scratch/runtime"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/runtime"
dbus-run-session -- bash -c '
    eval "$(printf halyard | gnome-keyring-daemon --unlock --components=secrets)"
    "$0/bench/halyard_headless_burst" "$1" "$0/src/app/halyard"
' "$build" "$count"

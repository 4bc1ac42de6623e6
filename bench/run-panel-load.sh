#!/usr/bin/env bash
# Catch-up and live burst against the desktop program (panel open, on Xvfb) and against
# `--headless`, on a private session bus with an unlocked keyring.
# Usage: bench/run-panel-load.sh [build dir, default build/default] [catch-up count] [burst count]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
catchup="${2:-2000}"
burst="${3:-1000}"
cmake --build "$build" --target halyard halyard_panel_load >/dev/null
scratch="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT
mkdir -m 0700 "$scratch/runtime"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/runtime"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$scratch/display" &
while [ ! -s "$scratch/display" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$scratch/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
dbus-run-session -- bash -c '
    eval "$(printf halyard | gnome-keyring-daemon --unlock --components=secrets)"
    for mode in headless desktop; do
        "$0/bench/halyard_panel_load" "$mode" catchup "$1" "$0/src/app/halyard"
        "$0/bench/halyard_panel_load" "$mode" burst "$2" "$0/src/app/halyard"
    done
' "$build" "$catchup" "$burst"

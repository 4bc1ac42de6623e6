#!/usr/bin/env bash
# Saves the screenshot that the AppStream metadata shows: the demo's panel with its first alerts
# on a plain desktop (Xvfb, openbox) of 1280x720, the smallest size software centres take, in
# docs/desktop-demo.png or the file given.
# Usage: packaging/desktop-screenshot.sh [file] [halyard program, default build/default's]
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/desktop-demo.png}"
halyard="$(realpath "${2:-build/default/src/app/halyard}")"
./scripts/install-deps.sh --screenshot

scratch="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
}
trap cleanup EXIT

# A display number nobody uses: Xvfb writes the one it took to the descriptor it is given.
exec 3>"$scratch/display"
Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 2>"$scratch/xvfb.log" &
pids+=($!)
for _ in $(seq 50); do [[ -s $scratch/display ]] && break; sleep 0.1; done
export DISPLAY=":$(cat "$scratch/display")"
mkdir -m 0700 "$scratch/runtime"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=xcb

openbox >/dev/null 2>&1 &
pids+=($!)
# The background after the window manager is up, which paints the root window once at start.
for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xsetroot -solid '#3d5a6c'
# Its own session bus, so a running copy of the user's is left alone; the demo's first burst of
# alerts arrives within seconds of connecting.
dbus-run-session -- bash -c '
    "$1" --demo >"$2/halyard.log" 2>&1 &
    xdotool search --sync --class Halyard >/dev/null
    sleep 12
    import -window root "$3"
    kill %1
' bash "$halyard" "$scratch" "$(realpath -m "$out")"
echo "Saved $out"

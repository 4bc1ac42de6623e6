#!/usr/bin/env bash
# Saves the README's pictures of the panel under the window managers of GNOME and Plasma:
# docs/panel-mutter.png and docs/panel-kwin.png, each the demo's panel with Settings beside it in
# its window manager's frame, on Xvfb.
# Usage: docs/panel-screenshots.sh [halyard program, default build/default's]
set -euo pipefail
cd "$(dirname "$0")/.."
halyard="$(realpath "${1:-build/default/src/app/halyard}")"
./scripts/install-deps.sh --screenshot

shoot() {
    local name="$1" out="docs/panel-$1.png"
    shift
    scratch="$(mktemp -d)"
    pids=()
    exec 3>"$scratch/display"
    Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 2>"$scratch/xvfb.log" &
    pids+=($!)
    for _ in $(seq 50); do [[ -s $scratch/display ]] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$scratch/display")"
    mkdir -m 0700 "$scratch/runtime"
    export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/runtime" XDG_CONFIG_HOME="$scratch/config"
    # Each in its own session bus, so a running copy of the user's is left alone.
    dbus-run-session -- bash -c '
        env "${@:4}" >"$2/wm.log" 2>&1 &
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
            sleep 0.1
        done
        xsetroot -solid "#3d5a6c"
        QT_QPA_PLATFORM=xcb "$1" --demo >"$2/halyard.log" 2>&1 &
        panel="$(xdotool search --sync --onlyvisible --name "^Halyard\$" | head -1)"
        sleep 10
        # Settings by the gear at the bar'"'"'s right end (a second launch would be a real copy).
        eval "$(xdotool getwindowgeometry --shell "$panel")"
        xdotool mousemove $((X + 306)) $((Y + 17)) click 1 mousemove $((X + 200)) $((Y + 400))
        xdotool search --sync --onlyvisible --name "^Halyard Settings\$" >/dev/null
        sleep 2
        import -window root -crop 1000x600+0+0 +repage "$3"
        kill %2 %1
    ' bash "$halyard" "$scratch" "$(realpath -m "$out")" "$@"
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$scratch"
    echo "Saved $out"
}

shoot mutter mutter --x11 --replace --sm-disable
shoot kwin KWIN_COMPOSE=N QT_QPA_PLATFORM=xcb kwin_x11 --replace

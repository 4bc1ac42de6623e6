#!/usr/bin/env bash
# Idle resident memory of `halyard --headless`: started on a private session bus without a
# keyring, in a throw-away home, it reads no tokens and waits; after a few seconds of that its
# VmRSS and the Qt libraries it mapped are printed. Usage: bench/run-headless-idle.sh [program]
set -euo pipefail
program="$(realpath "${1:-build/default/src/app/halyard}")"
settle="${SETTLE_SECONDS:-5}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -m 0700 "$scratch/runtime"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/runtime"
export XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
unset DISPLAY WAYLAND_DISPLAY
dbus-run-session -- bash -c '
    "$0" --headless 2>"$1/log" &
    pid=$!
    sleep "$2"
    echo "program: $0"
    grep VmRSS "/proc/$pid/status"
    echo "Qt libraries mapped: $(grep -o "libQt6[A-Za-z]*" "/proc/$pid/maps" | sort -u | tr "\n" " ")"
    kill -TERM "$pid"
    wait "$pid" || true
' "$program" "$scratch" "$settle"

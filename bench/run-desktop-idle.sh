#!/usr/bin/env bash
# Resident memory and CPU time of the idle desktop program with 50 queued alerts, on Xvfb,
# without tokens (so nothing but the panel's tick runs).
# Usage: bench/run-desktop-idle.sh [build dir, default build/default] [seconds, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
seconds="${2:-60}"
cmake --build "$build" --target halyard >/dev/null
scratch="$(mktemp -d)"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT
mkdir -m 0700 "$scratch/runtime" && mkdir -p "$scratch/data/Halyard"
export HOME="$scratch" XDG_RUNTIME_DIR="$scratch/runtime"
export XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
python3 - "$scratch/data/Halyard/queue.json" <<'PY'
import json, sys, time
now = time.time() - 978307200
alerts = [{"id": f"C1:1700000000.{i:06d}", "channelId": "C1", "ts": f"1700000000.{i:06d}",
           "text": f"Alert {i}: disk usage on db-{i} above 90% <https://example.com|runbook> :fire:",
           "receivedAt": now - i * 60} for i in range(50)]
json.dump({"alerts": alerts, "highWaterByChannel": {"C1": "1700000000.000049"}}, open(sys.argv[1], "w"))
PY
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$scratch/display" &
while [ ! -s "$scratch/display" ]; do sleep 0.1; done
export DISPLAY=":$(cat "$scratch/display")"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM
dbus-run-session -- "$build/src/app/halyard" --keychain-service com.corvane.Halyard.bench &
runner=$!
sleep 5
# The program is the session runner's child; other copies may run on this machine.
pid="$(pgrep -n -P "$runner" -x halyard)"
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
start="$(ticks)"
sleep "$seconds"
end="$(ticks)"
hz="$(getconf CLK_TCK)"
rss="$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")"
echo "resident memory: $((rss / 1024)) MiB ($rss KiB) with 50 queued alerts"
echo "CPU over ${seconds} s idle: $(( (end - start) * 1000 / hz )) ms"

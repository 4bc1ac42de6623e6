#!/usr/bin/env bash
# Times `halyard report --since 90d` (and `halyard history --since 90d --json`) over a history of
# 100,000 records, in a throw-away home. Goal: the report under 300 ms.
# Usage: bench/run-history-report.sh [build dir, default build/default] [record count]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/default}"
count="${2:-100000}"
cmake --build "$build" --target halyard halyard_history_bench >/dev/null
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
mkdir -p -m 0700 "$scratch/data/Halyard"
"$build/bench/halyard_history_bench" --write-sample "$scratch/data/Halyard/history.jsonl" "$count"
echo "history file: $(wc -l < "$scratch/data/Halyard/history.jsonl") records, $(du -h "$scratch/data/Halyard/history.jsonl" | cut -f1)"
for run in 1 2 3 4 5; do
    start=$(date +%s%N)
    "$build/src/app/halyard" report --since 90d >/dev/null
    end=$(date +%s%N)
    echo "report --since 90d, run $run: $(( (end - start) / 1000000 )) ms"
done
start=$(date +%s%N)
"$build/src/app/halyard" history --since 90d --json >/dev/null
end=$(date +%s%N)
echo "history --since 90d --json: $(( (end - start) / 1000000 )) ms"

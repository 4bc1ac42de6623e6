#!/usr/bin/env bash
# Saves PNG screenshots of the panel (collapsed; expanded with alerts of every stage, links and
# emoji), the update dialog and the settings window into docs/, or into the folder given.
# Usage: tools/panel-screenshots.sh [folder] [build dir, default build/default] [--language <code>]
# With --language (de, say) the windows show that translation and the files end in "-de.png";
# with --dark a dark palette ("-dark.png"); QT_SCALE_FACTOR=2 renders at double size ("@2x.png").
# The pictures show the tool's fixed moment in UTC, so rendering them again changes only what the
# code changed; a test holds the English ones in docs/ to what the code draws.
set -euo pipefail
cd "$(dirname "$0")/.."
folder="${1:-docs}"
build="${2:-build/default}"
shift $(( $# < 2 ? $# : 2 ))
cmake --build "$build" --target halyard-panel-screenshots >/dev/null
TZ=UTC LC_ALL=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    "$build/tools/panel-screenshots/halyard-panel-screenshots" "$@" "$folder"

#!/usr/bin/env bash
# Regenerates resources/slack-emoji.json from the emoji-datasource npm package. Run by hand when
# updating the table; the build never reaches the network.
set -euo pipefail
version="${1:-16.0.0}"
here="$(cd "$(dirname "$0")" && pwd)"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
npm install --prefix "$scratch" --no-save --ignore-scripts "emoji-datasource@$version" >/dev/null
python3 "$here/generate.py" "$scratch/node_modules/emoji-datasource/emoji.json" \
    > "$here/../../resources/slack-emoji.json"

#!/usr/bin/env python3
"""Writes resources/slack-emoji.json: every Slack shortcode mapped to its emoji.

The source is emoji-datasource's emoji.json, whose short_names are Slack's shortcode names.
Skin tones are entries of their own ("skin-tone-2" to "skin-tone-6"), because Slack writes a
toned emoji as two shortcodes (":+1::skin-tone-3:") and the program replaces each one alone.

    python3 generate.py path/to/emoji-datasource/emoji.json > ../../resources/slack-emoji.json

update.sh fetches the data set into a temporary folder and runs this.
"""

import json
import re
import sys

SHORTCODE = re.compile(r"^[a-z0-9_+-]{1,64}$")
SKIN_TONES = {
    "skin-tone-2": "1F3FB",
    "skin-tone-3": "1F3FC",
    "skin-tone-4": "1F3FD",
    "skin-tone-5": "1F3FE",
    "skin-tone-6": "1F3FF",
}


def emoji(unified):
    return "".join(chr(int(code, 16)) for code in unified.split("-"))


def main(path):
    with open(path, encoding="utf-8") as source:
        entries = json.load(source)
    table = {}
    for entry in sorted(entries, key=lambda e: e.get("sort_order", 0)):
        for name in entry["short_names"]:
            if not SHORTCODE.match(name):
                sys.exit(f"not a shortcode the program can match: {name!r}")
            if name in table and table[name] != emoji(entry["unified"]):
                sys.exit(f"shortcode {name!r} names two emoji")
            table[name] = emoji(entry["unified"])
    for name, code in SKIN_TONES.items():
        table.setdefault(name, emoji(code))
        if table[name] != emoji(code):
            sys.exit(f"{name!r} is not the modifier {code}")
    # One member per line keeps updates readable as diffs.
    lines = [f"{json.dumps(k)}:{json.dumps(v, ensure_ascii=False)}" for k, v in sorted(table.items())]
    sys.stdout.write("{\n" + ",\n".join(lines) + "\n}\n")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])

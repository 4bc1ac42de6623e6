#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the package checks and the tools need.
# Idempotent: refreshes the package index only when something is missing.
# The desktop tests run under the window managers of the desktops Halyard supports (GNOME's,
# Plasma's, i3), each started by the test on its own X server.
# `install-deps.sh --screenshot` adds what packaging/*-screenshot.sh and the README's pictures need
# (a bar, a desktop background, a screen grab, Plasma's window frames), which nothing else does,
# so CI goes without it.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-websockets-dev qcoro-qt6-dev
    qtkeychain-qt6-dev libsecret-1-0
    qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev libsimdjson-dev
    clang libclang-rt-14-dev clang-16 libclang-rt-16-dev clang-format clang-tidy-16
    dbus dbus-bin dbus-daemon gnome-keyring
    python3 openssl
    libxcb1-dev xvfb x11-utils xdotool fonts-noto-color-emoji desktop-file-utils libqt6svg6
    fonts-dejavu-core
    openbox mutter kwin-x11 i3-wm
    appstream dpkg-dev file libglib2.0-bin
    lintian scdoc man-db
)
if [[ ${1:-} == --screenshot ]]; then
    packages+=(x11-xserver-utils imagemagick kwin-style-breeze)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"

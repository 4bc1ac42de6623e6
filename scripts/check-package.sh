#!/usr/bin/env bash
# Builds the .deb and checks that it is one: its dependencies, its files, the desktop entry and
# AppStream metadata it carries, and that the program it installs runs.
set -euo pipefail
cd "$(dirname "$0")/.."

deb="$(./scripts/package.sh | tail -n 1)"
echo "Checking $deb"

fail() { echo "check-package: $*" >&2; exit 1; }

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for dep in libqt6widgets6 libsecret-1-0 fonts-noto-color-emoji; do
    grep -Eq "(^|, )$dep( |,|$)" <<<"$depends" || fail "Depends lacks $dep"
done

contents="$(dpkg-deb -c "$deb" | awk '{print $NF}')"
for file in \
    ./usr/bin/halyard \
    ./usr/share/applications/com.corvane.Halyard.desktop \
    ./usr/share/icons/hicolor/scalable/apps/com.corvane.Halyard.svg \
    ./usr/share/metainfo/com.corvane.Halyard.metainfo.xml \
    ./usr/lib/systemd/user/halyard-headless.service; do
    grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done
if grep -Eq '(halyard-sim|_tests|_bench|fuzz_)' <<<"$contents"; then
    fail "the package carries a program that is not for users"
fi

root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.corvane.Halyard.metainfo.xml"
desktop-file-validate "$root/usr/share/applications/com.corvane.Halyard.desktop"
grep -qxF 'ExecStart=/usr/bin/halyard --headless' \
    "$root/usr/lib/systemd/user/halyard-headless.service" || fail "the unit starts another program"
version="$("$root/usr/bin/halyard" --version)"
echo "$version"
grep -q "$(dpkg-deb -f "$deb" Version)" <<<"$version" || fail "the program's version is not the package's"
echo "Package checks passed: $deb"

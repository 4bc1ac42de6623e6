#!/usr/bin/env bash
# Builds the .deb and checks that it is one as Debian means it: lintian, its dependencies and
# files, the desktop entry and AppStream metadata it carries; then installs it into a throw-away
# root and runs what it installed there (the program and its manual page).
set -euo pipefail
cd "$(dirname "$0")/.."

paths="$(./scripts/package.sh)"
mapfile -t debs <<<"$paths"
# The desktop program's package, and the lean one with the command and the service.
deb="$(printf '%s\n' "${debs[@]}" | grep '/halyard_[^/]*\.deb$')"
headlessDeb="$(printf '%s\n' "${debs[@]}" | grep '/halyard-headless_[^/]*\.deb$')"
echo "Checking ${debs[*]}"

fail() { echo "check-package: $*" >&2; exit 1; }
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

for each in "${debs[@]}"; do
    dpkg-deb -f "$each" Package Version Architecture Depends Recommends
done
lintian --fail-on error,warning --display-info "${debs[@]}" || fail "lintian found errors or warnings"

# Required: what the program links (from dpkg-shlibdeps) and the Secret Service client it loads.
# Recommended only: what it does without, which must not drag in a desktop on a server.
depends="$(dpkg-deb -f "$deb" Depends)"
recommends="$(dpkg-deb -f "$deb" Recommends)"
listed() { grep -Eq "(^|, |\| )$1( |,|$)" <<<"$2"; }
for dep in libqt6widgets6 halyard-headless; do
    listed "$dep" "$depends" || fail "Depends lacks $dep"
done
# A server installs the headless package alone: no GUI library may come with it.
headlessDepends="$(dpkg-deb -f "$headlessDeb" Depends)"
for dep in libqt6network6 libsecret-1-0; do
    listed "$dep" "$headlessDepends" || fail "halyard-headless: Depends lacks $dep"
done
for dep in libqt6gui6 libqt6widgets6 libx11-6 libgl1; do
    ! listed "$dep" "$headlessDepends" || fail "halyard-headless depends on $dep"
done
for rec in fonts-noto-color-emoji libqt6svg6 xdg-utils qt6-wayland; do
    listed "$rec" "$recommends" || fail "Recommends lacks $rec"
    ! listed "$rec" "$depends" || fail "$rec is a dependency, not a recommendation"
done
# A misspelt name in Recommends would be skipped by apt without a word.
for rec in $(tr ',|' '\n\n' <<<"$recommends" | awk '{print $1}'); do
    apt-cache show "$rec" >/dev/null 2>&1 || fail "Recommends names $rec, which Debian does not have"
done

contents="$(dpkg-deb -c "$deb" | awk '{print $NF}')"
for file in \
    ./usr/libexec/halyard/halyard-desktop \
    ./usr/share/applications/com.corvane.Halyard.desktop \
    ./usr/share/icons/hicolor/scalable/apps/com.corvane.Halyard.svg \
    ./usr/share/metainfo/com.corvane.Halyard.metainfo.xml \
    ./usr/share/halyard/slack-app-manifest.json \
    ./usr/share/doc/halyard/copyright \
    ./usr/share/doc/halyard/changelog.gz; do
    grep -qxF "$file" <<<"$contents" || fail "the package lacks $file"
done
headlessContents="$(dpkg-deb -c "$headlessDeb" | awk '{print $NF}')"
for file in \
    ./usr/bin/halyard \
    ./usr/share/man/man1/halyard.1.gz \
    ./usr/share/dbus-1/interfaces/com.corvane.Halyard.Queue.xml \
    ./usr/share/doc/halyard-headless/copyright \
    ./usr/share/doc/halyard-headless/changelog.gz \
    ./usr/lib/systemd/user/halyard-headless.service; do
    grep -qxF "$file" <<<"$headlessContents" || fail "halyard-headless lacks $file"
done
contents+=$'\n'"$headlessContents"
if grep -Eq '(halyard-sim|_tests|_bench|fuzz_)' <<<"$contents"; then
    fail "the package carries a program that is not for users"
fi

# The throw-away install: dpkg unpacks and registers the package in an empty root of its own.
# That root holds none of the dependencies, so they are checked against this system instead
# (a dry run that changes nothing), and the installed program runs on this system's libraries.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
root="$scratch/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
echo "Dependencies against this system (dpkg --dry-run):"
$sudo dpkg --dry-run -i "${debs[@]}" || fail "the package's dependencies do not resolve on this system"
echo "Installing into $root (dpkg --root):"
# Told to go on without the dependencies, dpkg lists each one it misses on standard error. The
# path filter undoes a minimal image's dpkg.cfg.d excludes, which would leave out the manual page.
$sudo dpkg --root="$root" --force-depends --path-include='*' -i "${debs[@]}" 2>"$scratch/dpkg.err" \
    || fail "dpkg could not install it: $(cat "$scratch/dpkg.err")"
for package in halyard halyard-headless; do
    dpkg --root="$root" -s "$package" | grep -qx 'Status: install ok installed' \
        || fail "dpkg did not install $package"
done

appstreamcli validate --pedantic --no-net "$root/usr/share/metainfo/com.corvane.Halyard.metainfo.xml"
desktop-file-validate "$root/usr/share/applications/com.corvane.Halyard.desktop"
grep -qxF 'ExecStart=/usr/bin/halyard --headless' \
    "$root/usr/lib/systemd/user/halyard-headless.service" || fail "the unit starts another program"
python3 -m json.tool "$root/usr/share/halyard/slack-app-manifest.json" >/dev/null \
    || fail "the installed Slack app manifest is not JSON"

halyard="$root/usr/bin/halyard"
version="$("$halyard" --version)"
echo "$version"
grep -q "$(dpkg-deb -f "$deb" Version)" <<<"$version" || fail "the program's version is not the package's"
help="$("$halyard" --help)" || fail "halyard --help failed"
echo "$help"

page="$root/usr/share/man/man1/halyard.1.gz"
manual="$(MANWIDTH=80 man --warnings -l "$page" 2>"$scratch/man.err")" || fail "man -l failed"
[ ! -s "$scratch/man.err" ] || fail "the manual page has formatting faults: $(cat "$scratch/man.err")"
head -n 12 <<<"$manual"
for section in NAME SYNOPSIS DESCRIPTION COMMANDS ENVIRONMENT FILES 'EXIT STATUS'; do
    grep -qx "$section" <<<"$manual" || fail "the manual page has no $section section"
done
# Every option the program offers is documented: an option added to the program without a line
# in packaging/halyard.1.scd.in fails here. Read in the page's source, which man hyphenates not.
pageSource="$(gzip -dc "$page")"
for option in $(grep -Eo -- '--[a-z][a-z-]+' <<<"$help" | sort -u); do
    grep -qF -- "$option" <<<"$pageSource" || fail "the manual page does not document $option"
done
echo "Package checks passed: ${debs[*]}"

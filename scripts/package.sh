#!/usr/bin/env bash
# Builds the .deb: a Release build of the halyard program alone, installed under /usr, in
# build/package. Prints the path of each package it made, one a line. The package preset optimises with -O2, as the
# tested builds do: GCC 12's -O3 inlining reports uninitialised values that are not, and
# warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."

# Progress goes to standard error: standard output is the paths alone, for scripts.
./scripts/install-deps.sh >&2
# Debian's hardening flags (fortified functions, stack protector, full RELRO with immediate
# binding), as any Debian package gets them. Without -g (the package is stripped anyway) and
# without the path maps, so the compiler cache serves this build in any clone of the tree.
export DEB_BUILD_MAINT_OPTIONS="hardening=+all reproducible=-fixfilepath,-fixdebugpath"
export DEB_CXXFLAGS_MAINT_STRIP="-g"
cmake --preset package \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build --preset package >&2
# A package from an earlier version would otherwise be taken for this one.
rm -f build/package/*.deb
(cd build/package && cpack -G DEB >&2)
ls "$PWD"/build/package/*.deb

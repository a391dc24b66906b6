#!/usr/bin/env bash
# Builds a Release tree into build-release/ and the Debian package out/tavolin_<version>_amd64.deb
# with CPack, then checks the desktop entry, the AppStream metadata and the package (lintian).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh dpkg-dev lintian desktop-file-utils appstream
build=${TAVOLIN_RELEASE_DIR:-build-release}
# Debian's hardening flags (fortify, stack protector, relro, now), as a Debian build uses them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
# CMake takes CXXFLAGS and LDFLAGS from the environment but not CPPFLAGS, which carries
# _FORTIFY_SOURCE.
export CXXFLAGS="$CPPFLAGS $CXXFLAGS"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DTAVOLIN_TESTS=OFF -DTAVOLIN_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
rm -f out/tavolin_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls out/tavolin_*_amd64.deb)

# Checks of what the package installs, from a staged copy of the install tree.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" >/dev/null
desktop-file-validate "$stage"/usr/share/applications/*.desktop
appstreamcli validate --no-net --pedantic "$stage"/usr/share/metainfo/*.metainfo.xml
echo "lintian:"
lintian --info --fail-on error "$deb"  # warnings and infos are listed; an error fails the build
echo "Package: $deb"
dpkg-deb -f "$deb" Package Version Depends

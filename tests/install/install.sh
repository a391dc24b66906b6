#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks that every file a desktop needs is there
# and valid, and that each installed program answers --help and --version with the project's
# version. Usage: install.sh BUILD_FOLDER VERSION
set -euo pipefail
build=$1 version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
id=org.zelvolab.Tavolin
expected=(
    bin/tavolin bin/tavolin-cli bin/tavolin-station
    share/applications/$id.desktop
    share/metainfo/$id.metainfo.xml
    share/icons/hicolor/scalable/apps/$id.svg
    share/man/man1/tavolin.1.gz share/man/man1/tavolin-cli.1.gz share/man/man1/tavolin-station.1.gz
    share/doc/tavolin/copyright share/doc/tavolin/changelog.gz
)
for size in 16 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for file in "${expected[@]}"; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
done
# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
for size in 16 48 256; do
    [ "$(png_size "$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png")" = "${size}x${size}" ] ||
        fail "the ${size} px icon is not ${size} x ${size}"
done

desktop=$prefix/share/applications/$id.desktop
grep -qx 'Exec=tavolin %f' "$desktop" || fail "the desktop entry does not pass the data file"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi
metainfo=$prefix/share/metainfo/$id.metainfo.xml
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release entry for $version"
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$metainfo" >/dev/null ||
        appstreamcli validate --no-net --pedantic "$metainfo"
fi

for program in tavolin tavolin-cli tavolin-station; do
    out=$("$prefix/bin/$program" --version) || fail "$program --version exits $?"
    [ "$out" = "$program $version" ] || [ "$out" = "Tavolin $version" ] ||
        fail "$program --version says '$out'"
    help=$("$prefix/bin/$program" --help) || fail "$program --help exits $?"
    grep -qi "usage" <<<"$help" || fail "$program --help shows no usage"
    if command -v man >/dev/null; then
        page=$(MANWIDTH=80 man -l "$prefix/share/man/man1/$program.1.gz" 2>&1) ||
            fail "man cannot show $program.1"
        grep -q "^NAME" <<<"$page" || fail "$program.1 has no NAME section"
    fi
done
echo "install tree under a prefix: ${#expected[@]} files, three programs answer"

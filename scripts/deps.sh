#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, if any is missing;
# further package names given as arguments too.
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
          libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libgl1-mesa-dev librsvg2-bin xvfb x11-utils xdotool imagemagick
          fonts-dejavu-core "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

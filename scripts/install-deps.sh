#!/usr/bin/env bash
# Installs the Debian packages the editor, its tests and its benchmarks need, when missing.
# Uses sudo only when not run as root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git clang-format clang-tidy
    qt6-base-dev qt6-serialport-dev qt6-translations-l10n libgl-dev
    libmpg123-dev portaudio19-dev librtmidi-dev libjack-jackd2-dev libsoxr-dev libasound2-dev libaubio-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    sox libsox-fmt-mp3 lame mpg123
    jackd2 xvfb xauth fonts-dejavu-core
    ola libola-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"

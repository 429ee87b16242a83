#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 packages the launcher needs to build, run and test.
# Safe to rerun: it asks apt only for what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins
    libsdl2-dev libgif-dev
    fonts-liberation fonts-dejavu-core
    libxcb1-dev xvfb xauth xdotool x11-utils
    # Real desktop components the tests start for themselves.
    openbox weston qt6-wayland qt6ct
    pulseaudio pulseaudio-utils
    dbus-daemon at-spi2-core python3-pyatspi
    # Packaging and its checks.
    dpkg-dev file lintian appstream desktop-file-utils
    # The sanitizer build's compiler and runtime, the tests' linker, the static checks.
    clang libclang-rt-14-dev lld clang-tidy
    # The benchmarks' instruction counts.
    valgrind
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages one of the project's commands needs, on
# Debian 12 or 13: `run` what building and starting the program takes,
# `test` that and everything the tests, the sanitizer build, clang-tidy and
# the package check use, `bench` the benchmarks' tools, `lane` what
# scripts/lane.sh needs to make a fresh root, `gnome` what scripts/gnome.sh
# runs in one. Every name here exists on both releases. Safe to rerun: apt is
# asked only for what is missing.
set -euo pipefail

run=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libsdl2-dev libxcb1-dev libwayland-dev libfontconfig-dev
    fonts-liberation fonts-dejavu-core
)
test=(
    "${run[@]}"
    # The asset generator and the tests' GIF reader.
    libgif-dev
    # Real desktop components the tests start for themselves.
    xvfb xauth xdotool x11-utils
    openbox weston xwayland qt6-wayland qt6ct
    pulseaudio pulseaudio-utils
    dbus-daemon at-spi2-core python3-pyatspi
    # Packaging and its checks.
    dpkg-dev file man-db lintian appstream desktop-file-utils
    # The sanitizer build's compiler, its runtime and symbolizer (the leak
    # suppressions name frames), the tests' linker, the static checks; the
    # unversioned names follow each release's default clang.
    clang libclang-rt-dev llvm lld clang-tidy
)
bench=("${test[@]}" valgrind)
lane=(mmdebstrap)
# A headless GNOME session for scripts/gnome.sh, with the accessibility bus
# that drives the program there.
gnome=("${run[@]}" gnome-shell xwayland dbus-daemon at-spi2-core python3-pyatspi)

case ${1:-} in
    run) packages=("${run[@]}") ;;
    test) packages=("${test[@]}") ;;
    bench) packages=("${bench[@]}") ;;
    lane) packages=("${lane[@]}") ;;
    gnome) packages=("${gnome[@]}") ;;
    *)
        echo "usage: $0 run|test|bench|lane|gnome" >&2
        exit 2
        ;;
esac

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
# One sudo call for both steps, so a user is asked for the password once.
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive sh -c \
    'apt-get update && apt-get install -y --no-install-recommends "$@"' apt "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages that are missing. Sourced by ./run and ./test.
# Usage: install_deps PACKAGE...
install_deps() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    echo "Installing: ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q ||
        echo "apt-get update failed; trying to install from the present package lists"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
        --no-install-recommends "${missing[@]}"
}

# What building and running the program needs.
RUN_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libjpeg-dev libsodium-dev
    fonts-wqy-microhei freerdp2-x11 xvfb xauth x11-utils xdotool imagemagick libgl-dev)
# What the tests need on top.
TEST_PACKAGES=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
    freerdp2-shadow-x11 winpr-utils)

#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (those that are
# missing), then configures and builds. Sourced by run.sh and test.sh.
set -euo pipefail

CALLLOG_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libssl-dev zlib1g-dev libqt6sql6-sqlite
    # Qt Charts needs the OpenGL modules' CMake files, which its package does not pull.
    qt6-charts-dev qt6-svg-dev libqt6opengl6-dev
    # Liberation Sans Narrow stands in for the reports' Arial Narrow.
    fonts-liberation2 fonts-liberation fonts-dejavu-core
)
# What only the tests need: reading the printed PDFs, and the checks of the
# installed tree and the package.
CALLLOG_TEST_PACKAGES=(
    poppler-utils
    # The italic faces the font dialog's tests switch between.
    fonts-dejavu-extra
    desktop-file-utils appstream lintian dpkg-dev file
)

calllog_install_packages() {
    local missing=()
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing missing packages: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# calllog_build BUILD_DIR [cmake options...] [-- targets...]
calllog_build() {
    local dir=$1
    shift
    local options=() targets=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    targets=("$@")
    cmake -S "$CALLLOG_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
    if [ ${#targets[@]} -gt 0 ]; then
        cmake --build "$dir" -j2 --target "${targets[@]}"
    else
        cmake --build "$dir" -j2
    fi
}

CALLLOG_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

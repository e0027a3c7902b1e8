#!/bin/sh
# Installs what building and testing need on Debian 12, and only what is
# missing. Runs as root, or through sudo.
#   scripts/install-deps.sh [--arm64]
# --arm64 adds what the terminal's cross build needs (scripts/cross-arm64.sh):
# the arm64 architecture, its libraries, the cross compiler and the emulator.
set -eu

PACKAGES="
    g++ cmake make pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite
    libjsoncpp-dev libjpeg62-turbo-dev libpng-dev
    iproute2 util-linux procps iputils-ping
    fonts-wqy-microhei fonts-wqy-zenhei
    xvfb xauth x11-utils
    shellcheck freerdp2-x11 freerdp2-shadow-x11 dnsmasq-base udhcpc wpasupplicant openssl
    qt6-httpserver-dev qt6-websockets-dev chromium chromium-driver
"

# The arm64 packages are Debian multiarch ones: headers, libraries and their
# CMake and pkg-config files beside the host's; Qt's code generators are the
# host's own (qt6-base-dev-tools).
ARM64_PACKAGES="
    crossbuild-essential-arm64 qemu-user-static file
    libc6:arm64 qt6-base-dev:arm64 libqt6sql6-sqlite:arm64
    libjsoncpp-dev:arm64 libjpeg62-turbo-dev:arm64 libpng-dev:arm64
    qt6-httpserver-dev:arm64 qt6-websockets-dev:arm64
"

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi

if [ "${1:-}" = "--arm64" ]; then
    PACKAGES="$PACKAGES $ARM64_PACKAGES"
    if ! dpkg --print-foreign-architectures | grep -qx arm64; then
        $sudo dpkg --add-architecture arm64
    fi
fi

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing

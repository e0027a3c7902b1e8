#!/bin/sh
# Installs what building and testing need on Debian 12, and only what is
# missing. Runs as root, or through sudo.
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

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
else
    sudo="sudo"
fi
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing

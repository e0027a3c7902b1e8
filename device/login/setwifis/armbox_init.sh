#!/bin/sh
# The board's start: brings the wired interface up and, when a network is
# saved, starts the supplicant with it (without waiting for it).
# shellcheck source=../devicelib.sh
. /opt/zoderer/login/devicelib.sh
# shellcheck source=wifilib.sh
. /opt/zoderer/login/setwifis/wifilib.sh

if ip link set eth0 up 2>/dev/null; then
    log "eth0 is brought up"
else
    log "eth0 could not be brought up"
fi
saved=$WIFIDIR/wpa_supplicant.conf
if ! grep -q '^[[:space:]]*network={' "$saved" 2>/dev/null; then
    log "no saved Wi-Fi network: the supplicant is not started"
elif supplicant_running; then
    log "the supplicant already runs on $WIFI_IF"
elif supplicant_start "$saved"; then
    log "the supplicant is started with the saved network"
else
    log "the supplicant refused the saved network or the interface $WIFI_IF"
fi

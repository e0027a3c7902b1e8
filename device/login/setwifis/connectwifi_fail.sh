#!/bin/sh
# Gives up the Wi-Fi association; the supplicant stays for later scans.
# shellcheck source=../devicelib.sh
. /opt/zoderer/login/devicelib.sh
# shellcheck source=wifilib.sh
. /opt/zoderer/login/setwifis/wifilib.sh

mkdir -p "$WIFIDIR"
if supplicant_running; then
    wpa disconnect > /dev/null
fi
log "the Wi-Fi association is given up"
write_status

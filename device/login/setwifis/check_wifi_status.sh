#!/bin/sh
# Reports the Wi-Fi association and address into check_wifi_status.txt.
# shellcheck source=../devicelib.sh
. /opt/zoderer/login/devicelib.sh
# shellcheck source=wifilib.sh
. /opt/zoderer/login/setwifis/wifilib.sh

mkdir -p "$WIFIDIR"
if write_status; then
    log "Wi-Fi state $(sed -n 's/^wpa_state=//p' "$WIFI_STATUSFILE") reported"
else
    log "the Wi-Fi status report could not be written"
    exit 1
fi

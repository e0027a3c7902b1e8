#!/bin/sh
# Reconnects with the saved network of wpa_supplicant.conf, then applies
# the Wi-Fi addressing.
# shellcheck source=../devicelib.sh
. /opt/zoderer/login/devicelib.sh
# shellcheck source=wifilib.sh
. /opt/zoderer/login/setwifis/wifilib.sh

associate_with "$WIFIDIR/wpa_supplicant.conf"
status=$?
if [ -x /opt/zoderer/login/setwifis/setwifi.sh ]; then
    /opt/zoderer/login/setwifis/setwifi.sh
else
    log "no setwifi.sh: the Wi-Fi addressing is not applied"
fi
exit "$status"

#!/bin/sh
# Applies the Wi-Fi addressing (network/wificonfigs/wificonfig.txt) to
# wlan0 exactly as setnetwork.sh does for eth0: a static address or DHCP.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

log "applying $CONFIGS/network/wificonfigs/wificonfig.txt to wlan0"
exec /opt/zoderer/login/setaddressing.sh wlan0 "$CONFIGS/network/wificonfigs/wificonfig.txt"

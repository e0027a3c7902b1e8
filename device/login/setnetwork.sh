#!/bin/sh
# Applies the wired addressing (network/netconfig) to eth0: a static address
# or DHCP. The launcher starts it after the wired settings are saved.
# shellcheck source=devicelib.sh
. /opt/zoderer/login/devicelib.sh

log "applying $CONFIGS/network/netconfig to eth0"
exec /opt/zoderer/login/setaddressing.sh eth0 "$CONFIGS/network/netconfig"

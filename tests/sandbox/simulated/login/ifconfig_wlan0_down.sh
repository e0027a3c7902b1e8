#!/bin/sh
# Simulated terminal: takes wlan0 down, which ends any Wi-Fi association.
. "$(dirname "$0")/setwifis/simulated-radio.sh"
disassociate
mkdir -p /tmp/terminal
echo down > /tmp/terminal/wlan0
log "wlan0 is taken down"

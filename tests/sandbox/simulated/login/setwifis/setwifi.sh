#!/bin/sh
# Simulated terminal: applies the Wi-Fi addressing of wificonfig.txt: the
# static address, or one from the simulated DHCP server.
. "$(dirname "$0")/simulated-radio.sh"
config=$wifidir/wificonfig.txt
if [ ! -s "$state/associated" ]; then
    log "not associated: nothing to address"
    exit 0
fi
if grep -q static "$config" 2>/dev/null; then
    address=$(sed -n 2p "$config")
    log "static address $address, mask $(sed -n 3p "$config"), gateway $(sed -n 4p "$config")"
else
    address=192.168.50.20
    log "address $address from DHCP"
fi
printf '%s\n' "$address" > "$state/address"
write_status

#!/bin/sh
# Simulated terminal: the network check. It writes PINGOK to network/netcheck
# when eth0 or wlan0 is running, PINGFAIL otherwise.
result=/opt/zoderer/configs/network/netcheck
mkdir -p "$(dirname "$result")"
status=PINGFAIL
for interface in eth0 wlan0; do
    if [ "$(cat /sys/class/net/$interface/operstate 2>/dev/null)" = up ]; then
        status=PINGOK
    fi
done
echo "$status" > "$result"
echo "$(date '+%T') checknet.sh: $status" >> /tmp/device.log

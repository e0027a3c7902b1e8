#!/bin/sh
# Simulated terminal: applies the wired addressing of network/netconfig to
# the simulated eth0 (/tmp/terminal/eth0).
file=/opt/zoderer/configs/network/netconfig
mkdir -p /tmp/terminal
if grep -q static "$file" 2>/dev/null; then
    applied="up, static $(sed -n 2p "$file") mask $(sed -n 3p "$file") gateway $(sed -n 4p "$file") dns '$(sed -n 5p "$file")' '$(sed -n 6p "$file")'"
else
    applied="up, address from DHCP"
fi
echo "$applied" > /tmp/terminal/eth0
echo "$(date '+%T') setnetwork.sh: eth0 $applied" >> /tmp/device.log

#!/bin/sh
# Simulated terminal: takes eth0 down (/tmp/terminal/eth0).
mkdir -p /tmp/terminal
echo down > /tmp/terminal/eth0
echo "$(date '+%T') ifconfig_eth0_down.sh: eth0 is taken down" >> /tmp/device.log

#!/bin/sh
# Simulated terminal: only logs that eth0 is brought up.
echo "$(date '+%T') ifconfig_eth0_up.sh: eth0 is brought up" >> /tmp/device.log

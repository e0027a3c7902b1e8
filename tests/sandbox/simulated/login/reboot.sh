#!/bin/sh
# Simulated terminal: only logs that a reboot.
echo "$(date '+%T') reboot.sh: the terminal reboots" >> /tmp/device.log

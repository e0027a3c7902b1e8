#!/bin/sh
# Simulated terminal: a reboot only leaves a line in the device log.
echo "$(date '+%T') reboot.sh: the terminal reboots" >> /tmp/device.log

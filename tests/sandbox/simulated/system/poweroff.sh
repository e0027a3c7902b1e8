#!/bin/sh
# Simulated terminal: a power-off only leaves a line in the device log.
echo "$(date '+%T') poweroff.sh: the terminal powers off" >> /tmp/device.log

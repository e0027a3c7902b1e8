#!/bin/sh
# Simulated terminal: only logs that the terminal powers off.
echo "$(date '+%T') poweroff.sh: the terminal powers off" >> /tmp/device.log
